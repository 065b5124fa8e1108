#include <array>

#include "dictionary/fanqie.h"

namespace ravlek {

QString FanqieSamplePassage() {
  // An entry for 讚 with its three notations, and a hint at the extraction button.
  static const std::array<const char16_t*, 5> pieces = {
      u"範例如:讚(tsan3)"
      u"【集韻】【韻會】𠀤則旰切，音酇。【小爾雅】明也。【類篇】稱也。【釋名】稱人之美曰讚。讚，纂"
      u"也。纂集其美而敘之也。 又叶租全反，音鐫。",
      u"【馬融·圍棋賦】三尺之局，兩敵相當。攻守無方，觀者咸讚。怨平聲，叶上源。",
      u"　又叶則縣反，音箭。",
      u"【馬融·長笛賦】截竹為管，吹之以氣。清聲發越，聽者忘歸。俗作讃。 ",
      u"\r\n\r\n                              <<< 請按此欄位右下 《【粹取】》 按鈕 , 執行此範例 "
      u">>>",
  };
  QString passage;
  for (const char16_t* piece : pieces) passage += QString::fromUtf16(piece);
  return passage;
}

}  // namespace ravlek
