#include "romanize/sample_text.h"

#include <array>

namespace ravlek {

QString ConversionSampleText() {
  // A regulated poem by the poet of the title, then how to use the page.
  static const std::array<const char16_t*, 10> lines = {
      u"無題 (李商隱)",
      u"昨夜星辰昨夜風，畫樓西畔桂堂東，",
      u"身無彩鳳雙飛翼，心有靈犀一點通。",
      u"隔座送鉤春酒暖，分曹射覆蠟燈紅，",
      u"嗟余聽鼓應官去，走馬蘭臺類轉蓬。",
      u"",
      u"貼入文章請每行字數控制，",
      u"盡量簡潔忌冗長。 以利轉碼對照。",
      u"",
      u"對轉出音韻之詳細切音與解釋，請用[查漢字]功能查該漢字。",
  };
  QString text;
  for (const char16_t* line : lines) {
    text += QString::fromUtf16(line);
    text += QStringLiteral("\r\n");
  }
  return text;
}

}  // namespace ravlek
