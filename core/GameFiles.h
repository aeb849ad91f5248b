#pragma once
// Every file the game reads from dat/, by the game's own names ("dat\dun.wav").
#include <array>

namespace vexa {

inline constexpr const char* PictureHead = "dat\\vexa_head.bmp";
inline constexpr const char* PictureBody = "dat\\vexa_body.bmp";
inline constexpr const char* PictureFoot = "dat\\vexa_foot.bmp";
inline constexpr const char* PictureFace = "dat\\vexa_face.bmp";
inline constexpr const char* PictureGuardFace = "dat\\vexa_face2.bmp";
inline constexpr const char* PictureSlash = "dat\\vexa_slash.bmp";

inline constexpr const char* SoundRetryClick = "dat\\タ2.wav";        // also choosing a command
inline constexpr const char* SoundRestart = "dat\\cap_tiron02-2.wav";
inline constexpr const char* SoundGuarded = "dat\\コン.wav";
inline constexpr const char* SoundKnockOut = "dat\\break2.wav";
inline constexpr const char* SoundHit = "dat\\dun.wav";
inline constexpr const char* SoundMiss = "dat\\suka.wav";
inline constexpr const char* SoundTrain = "dat\\turn.wav";
inline constexpr const char* SoundAdvance = "dat\\thathatha.wav";
inline constexpr const char* SoundSaved = "dat\\popon.wav";
inline constexpr const char* SoundRefused = "dat\\bub.wav";
inline constexpr const char* SoundUpgrade = "dat\\up.wav";

// A data folder counts only when it holds all of them.
inline constexpr std::array<const char*, 17> GameDataFiles{
    PictureHead,  PictureBody,   PictureFoot,  PictureFace,    PictureGuardFace, PictureSlash,
    SoundRetryClick, SoundRestart, SoundGuarded, SoundKnockOut, SoundHit,        SoundMiss,
    SoundTrain,   SoundAdvance,  SoundSaved,   SoundRefused,   SoundUpgrade};

}  // namespace vexa
