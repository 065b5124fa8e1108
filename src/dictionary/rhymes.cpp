#include "dictionary/rhymes.h"

namespace ravlek {

const QStringList& PingshuiRhymeNames() {
  // Item 15 is written with 删 (U+5220), not 刪.
  static const QStringList names = {QStringLiteral("上平一東"),     QStringLiteral("上平二冬"),
                                    QStringLiteral("上平三江"),     QStringLiteral("上平四支"),
                                    QStringLiteral("上平五微"),     QStringLiteral("上平六魚"),
                                    QStringLiteral("上平七虞"),     QStringLiteral("上平八齊"),
                                    QStringLiteral("上平九佳"),     QStringLiteral("上平十灰"),
                                    QStringLiteral("上平十一真"),   QStringLiteral("上平十二文"),
                                    QStringLiteral("上平十三元"),   QStringLiteral("上平十四寒"),
                                    QStringLiteral("上平十五删"),   QStringLiteral("下平一先"),
                                    QStringLiteral("下平二蕭"),     QStringLiteral("下平三肴"),
                                    QStringLiteral("下平四豪"),     QStringLiteral("下平五歌"),
                                    QStringLiteral("下平六麻"),     QStringLiteral("下平七陽"),
                                    QStringLiteral("下平八庚"),     QStringLiteral("下平九青"),
                                    QStringLiteral("下平十蒸"),     QStringLiteral("下平十一尤"),
                                    QStringLiteral("下平十二侵"),   QStringLiteral("下平十三覃"),
                                    QStringLiteral("下平十四鹽"),   QStringLiteral("下平十五咸"),
                                    QStringLiteral("上聲一董"),     QStringLiteral("上聲二腫"),
                                    QStringLiteral("上聲三講"),     QStringLiteral("上聲四紙"),
                                    QStringLiteral("上聲五尾"),     QStringLiteral("上聲六語"),
                                    QStringLiteral("上聲七麌"),     QStringLiteral("上聲八薺"),
                                    QStringLiteral("上聲九蟹"),     QStringLiteral("上聲十賄"),
                                    QStringLiteral("上聲十一軫"),   QStringLiteral("上聲十二吻"),
                                    QStringLiteral("上聲十三阮"),   QStringLiteral("上聲十四旱"),
                                    QStringLiteral("上聲十五潸"),   QStringLiteral("上聲十六銑"),
                                    QStringLiteral("上聲十七筱"),   QStringLiteral("上聲十八巧"),
                                    QStringLiteral("上聲十九皓"),   QStringLiteral("上聲二十哿"),
                                    QStringLiteral("上聲二十一馬"), QStringLiteral("上聲二十二養"),
                                    QStringLiteral("上聲二十三梗"), QStringLiteral("上聲二十四迥"),
                                    QStringLiteral("上聲二十五有"), QStringLiteral("上聲二十六寢"),
                                    QStringLiteral("上聲二十七感"), QStringLiteral("上聲二十八琰"),
                                    QStringLiteral("上聲二十九豏"), QStringLiteral("去聲一送"),
                                    QStringLiteral("去聲二宋"),     QStringLiteral("去聲三絳"),
                                    QStringLiteral("去聲四寘"),     QStringLiteral("去聲五未"),
                                    QStringLiteral("去聲六御"),     QStringLiteral("去聲七遇"),
                                    QStringLiteral("去聲八霽"),     QStringLiteral("去聲九泰"),
                                    QStringLiteral("去聲十卦"),     QStringLiteral("去聲十一隊"),
                                    QStringLiteral("去聲十二震"),   QStringLiteral("去聲十三問"),
                                    QStringLiteral("去聲十四願"),   QStringLiteral("去聲十五翰"),
                                    QStringLiteral("去聲十六諫"),   QStringLiteral("去聲十七霰"),
                                    QStringLiteral("去聲十八嘯"),   QStringLiteral("去聲十九效"),
                                    QStringLiteral("去聲二十號"),   QStringLiteral("去聲二十一箇"),
                                    QStringLiteral("去聲二十二禡"), QStringLiteral("去聲二十三漾"),
                                    QStringLiteral("去聲二十四敬"), QStringLiteral("去聲二十五徑"),
                                    QStringLiteral("去聲二十六宥"), QStringLiteral("去聲二十七沁"),
                                    QStringLiteral("去聲二十八勘"), QStringLiteral("去聲二十九豔"),
                                    QStringLiteral("去聲三十陷"),   QStringLiteral("入聲一屋"),
                                    QStringLiteral("入聲二沃"),     QStringLiteral("入聲三覺"),
                                    QStringLiteral("入聲四質"),     QStringLiteral("入聲五物"),
                                    QStringLiteral("入聲六月"),     QStringLiteral("入聲七曷"),
                                    QStringLiteral("入聲八黠"),     QStringLiteral("入聲九屑"),
                                    QStringLiteral("入聲十藥"),     QStringLiteral("入聲十一陌"),
                                    QStringLiteral("入聲十二錫"),   QStringLiteral("入聲十三職"),
                                    QStringLiteral("入聲十四緝"),   QStringLiteral("入聲十五合"),
                                    QStringLiteral("入聲十六葉"),   QStringLiteral("入聲十七洽")};
  return names;
}

QString NormalizeRhymeName(const QString& text) {
  QString name = text;
  name.replace(QChar(0x522A), QChar(0x5220));  // 刪 → 删
  name.replace(QChar(0x7BE0), QChar(0x7B71));  // 篠 → 筱
  // Every name is a two-character tone part (上平, 下平, 上聲, 去聲, 入聲) and the rest.
  QString found;
  for (const QString& full : PingshuiRhymeNames()) {
    if (full.startsWith(name)) return name;  // already a name, or the beginning of one
    if (full.mid(2) == name) {
      if (!found.isEmpty()) return name;  // more than one: leave it to the prefix search
      found = full;
    }
  }
  return found.isEmpty() ? name : found;
}

}  // namespace ravlek
