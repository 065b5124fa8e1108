#include <array>

#include "dictionary/fanqie.h"

namespace ravlek {

QString FanqieSamplePassage() {
  // The 康熙字典 entry for 讚 (public domain) with its three notations, its two citations as the
  // dictionary gives them, a hint at the extraction button and a note on the synthesis.
  static const std::array<const char16_t*, 6> pieces = {
      u"範例如:讚(tsan3)"
      u"【集韻】【韻會】𠀤則旰切，音酇。【小爾雅】明也。【類篇】稱也。【釋名】稱人之美曰讚。讚，纂"
      u"也。纂集其美而敘之也。 又叶租全反，音鐫。",
      u"【蔡洪·圍棋賦】或設死而稱枉，皋陶不能治其怨；或巧逸以樂胥，后夔不足以之讚。"
      u"怨平聲，叶上源。",
      u"　又叶則縣反，音箭。",
      u"【馬融·長笛賦】留眎瞠眙，累稱屢讚；失容墜席，搏拊雷抃。俗作讃。 ",
      u"\r\n\r\n                              <<< 請按此欄位右下 《【粹取】》 按鈕 , 執行此範例 "
      u">>>",
      // Why the synthesis gives another tone than the example's own reading. The note holds
      // neither marker character, so the passage keeps exactly its three notations.
      u"\r\n\r\n註：讚 標 tsan3，自動拼音卻得 tsan2。拼音由上字 則 取聲母 ts-，由下字 旰 "
      u"取韻母 -an 及聲調；本字典 旰 的文讀是 han2（上聲），故拼得上聲 tsan2。然而 旰 在"
      u"廣韻屬去聲翰韻，讚 亦是去聲；上字 則 為全清聲母，全清配去聲為陰去，故 讚 讀 tsan3。",
  };
  QString passage;
  for (const char16_t* piece : pieces) passage += QString::fromUtf16(piece);
  return passage;
}

}  // namespace ravlek
