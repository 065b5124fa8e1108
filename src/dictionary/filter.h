#pragma once
// The store's filter language: equality with the trailing-asterisk partial form, [Field] like
// patterns with % and _, AND / or with parentheses, literals in single quotes with doubled quotes.

#include <QString>

namespace ravlek {

// The literal of a text: between single quotes, each single quote doubled.
QString QuotedStr(const QString& text);

}  // namespace ravlek
