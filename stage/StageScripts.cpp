// The story told one line per missed swing: each stage's narration and dialogue,
// then its title and its enemy; and the ending after the last duel.
#include <array>

#include "lib/Checked.h"
#include "stage/UnitStage.h"

namespace vexa {

namespace {

// The gatekeeper asks twice; only the second answer is the true one.
constexpr std::array<const char*, 15> Stage1 = {
    "十の色が棲むという塔を、わたしは見上げた。",
    "門番「何色にも染まらぬ者よ、なぜ登る。」",
    "ヴェクサ「師匠を、連れ戻しに来ました。」",
    "門番「ハクか。あれは頂で黒になった。",
    "　　　　挑む者の色を奪い、呑み続けておる。」",
    "ヴェクサ「勝っても奪うな。師匠の教えです。」",
    "門番はしばらく黙り、もう一度たずねた。",
    "門番「何色にも染まらぬ者よ、なぜ登る。」",
    "ヴェクサ「……もう一度、師匠に会いたいから。」",
    "門番「ならば、その白で示してみよ。",
    "　　　　この塔では、勝った者が色を奪う。",
    "　　　　奪わずに勝てるなら、上へ行け。」",
    "銀の門番は退き、守り、ときおり鋭く打つ。",
    "Stage1／白い修行者",
    "Enemy／「銀の門番」",
};

constexpr std::array<const char*, 9> Stage2 = {
    "門番に勝っても、わたしは銀を奪わなかった。",
    "二階では、赤茶けた鎧の男が待っていた。",
    "テツ「白か。奪う色もねえ、つまらん奴だ。」",
    "ヴェクサ「あなたの色は、錆の色ですね。」",
    "テツ「昔は真っ赤だったさ。奪った赤だ。",
    "　　　　だが奪った色ってのは、すぐに錆びる。」",
    "打っては退く。錆びた身体をかばうように。",
    "Stage2／錆びた赤",
    "Enemy／「錆色のテツ」",
};

constexpr std::array<const char*, 8> Stage3 = {
    "三階は、ひよこ色の少女の遊び場だった。",
    "ヒナ「あそぼ！　あっち行って、こっち来て！」",
    "寄ってはくるのに、近づくと身を固くする。",
    "ヴェクサ「本当は、戦うのがこわいの？」",
    "ヒナ「こわくないもん！　兄ちゃんが来たら、",
    "　　　　あんたなんか、いちころなんだから！」",
    "Stage3／気まぐれな黄色",
    "Enemy／「ひよこのヒナ」",
};

constexpr std::array<const char*, 12> Stage4 = {
    "四階には、桜色の老婆が座っていた。",
    "サクラ「ハク坊の弟子かい。よう来たねえ。",
    "　　　　あの子も昔、ここを通っていったよ。",
    "　　　　色を奪い合う塔を、壊すと言ってね。」",
    "ヴェクサ「師匠は、なぜ黒に？」",
    "サクラ「頂の黒に勝って、その黒を奪ったのさ。",
    "　　　　塔を壊す力が、欲しかったんだろうね。",
    "　　　　けれど黒は、力と一緒に心も呑む。」",
    "老婆は一歩、また一歩、遅い春のように迫る。",
    "間合いに入れば、あの杖で必ず打ってくる。",
    "Stage4／ゆっくり来る春",
    "Enemy／「桜色のサクラ婆」",
};

constexpr std::array<const char*, 10> Stage5 = {
    "五階の空気は、焼けた鉄のように熱かった。",
    "アカネ「わたしの刃は、一度きりの炎。」",
    "細い身体に、ありったけの紅が詰まっている。",
    "ヴェクサ「そんなに燃えたら、消えてしまう。」",
    "アカネ「消える前に、いちばん赤く光りたいの。",
    "　　　　あなたに勝って、その白を奪えば、",
    "　　　　わたしの紅は、もっと輝くはずだから。」",
    "間合いに入れば、あの刃は一瞬で跳んでくる。",
    "Stage5／一閃の紅",
    "Enemy／「紅のアカネ」",
};

constexpr std::array<const char*, 4> Stage6 = {
    "稲妻色の男が、名乗りもせずに突っこんでくる！",
    "イカヅチ「妹を泣かせたのは、てめえかあっ！」",
    "Stage6／怒りの稲妻",
    "Enemy／「ヒナの兄イカヅチ」",
};

// The six names in the order the shadow copies their ways of fighting.
constexpr std::array<const char*, 7> Stage7 = {
    "七階には、煤けた灰色の影がうずくまっていた。",
    "カゲ「おれに色はない。見て、写すだけだ。」",
    "門番、テツ、ヒナ、サクラ、アカネ、イカヅチ。",
    "影は六人の戦い方を、順に写して迫ってくる。",
    "ヴェクサ「写せるのは型だけ。心は写せない。」",
    "Stage7／写し身",
    "Enemy／「煤けたカゲ」",
};

constexpr std::array<const char*, 9> Stage8 = {
    "八階は、琥珀色の道化の舞台だった。",
    "コハク「次はどの型かな。さいころ次第さ！」",
    "ヴェクサ「ふざけないで。」",
    "コハク「ふざけてるのは、この塔のほうさ。",
    "　　　　頂の黒はね、ずっと待ってるんだよ。",
    "　　　　奪わずに倒してくれる、白い誰かを。」",
    "道化の型は、さいころ任せに変わる。読めない。",
    "Stage8／さいころ道化",
    "Enemy／「琥珀のコハク」",
};

// The ninth and tenth foes are no strangers, so their names stand bare.
constexpr std::array<const char*, 8> Stage9 = {
    "九階に、白い影がいた。わたしと同じ色だった。",
    "白い影「帰りなさい、ヴェクサ。」",
    "その声は、まぎれもなく師匠の声だった。",
    "白い影「わたしは、黒に追い出された白だ。",
    "　　　　黒に勝てば、お前も黒に呑まれる。」",
    "ヴェクサ「奪わずに勝って、連れて帰ります。」",
    "Stage9／追い出された白",
    "Enemy／白い影",
};

constexpr std::array<const char*, 7> Stage10 = {
    "頂。数えきれない色を呑んだ黒が、待っていた。",
    "ハク「来たか、ヴェクサ。……大きくなったな。」",
    "ヴェクサ「師匠。あなたの色は、奪いません。",
    "　　　　ただ、一緒に帰りたいだけです。」",
    "ハク「ならば来い。この黒を、越えてみせよ。」",
    "StageFinal／黒の頂",
    "Enemy／黒のハク",
};

constexpr std::array<const char*, 12> Ending = {
    "黒が、高くはじき飛ばされていった。",
    "わたしは、何ひとつ奪わなかった。",
    "黒の中から、呑まれていた色がほどけていく。",
    "赤も、青も、緑も、光になって空へ帰った。",
    "追い出されていた白が戻り、師匠に重なった。",
    "ハク「奪わずに勝つか。わたしにはできなんだ。」",
    "ヴェクサ「勝っても奪うな。師匠の教えです。」",
    "ハク「……そうか。忘れていたのは、わたしか。」",
    "その日、塔から色を奪う決まりが消えた。",
    "白いふたりは並んで、塔の階段を下りていった。",
    "塔のみんなが、それぞれの色で手をふっていた。",
    "★　おしまい　★",
};

}  // namespace

std::span<const char* const> StageScriptLines(std::int32_t stage) {
  VEXA_ASSERT(stage >= 1 && stage <= 10, "UnitStage");
  switch (stage) {
    case 1: return Stage1;
    case 2: return Stage2;
    case 3: return Stage3;
    case 4: return Stage4;
    case 5: return Stage5;
    case 6: return Stage6;
    case 7: return Stage7;
    case 8: return Stage8;
    case 9: return Stage9;
    default: return Stage10;
  }
}

std::span<const char* const> EndingScriptLines() { return Ending; }

}  // namespace vexa
