// The canvas's side of PageCanvas.cpp: each damaged part of a frame is put where it lies, and a
// step with no damage never comes here.
var VexaPaint = (function () {
  let context = null;
  const images = new Map();  // one ImageData per part size: parts repeat their size step after step

  function put(rgba, x, y, width, height) {
    if (!context) context = VexaView.context();
    const key = width * 65536 + height;
    let image = images.get(key);
    if (!image) {
      if (images.size > 64) images.clear();
      image = context.createImageData(width, height);
      images.set(key, image);
    }
    image.data.set(HEAPU8.subarray(rgba, rgba + width * height * 4));
    context.putImageData(image, x, y);
    VexaPage.painted();
  }

  return { put };
})();
