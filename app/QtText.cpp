#include "app/QtText.h"

#include "text/TextConversion.h"

namespace tovrenic {

QString ToQString(const Text& text) {
  std::u16string units = TextToUtf16String(text);
  return QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
}

Text ToText(const QString& string) {
  return Utf16StringToText(
      std::u16string_view(reinterpret_cast<const char16_t*>(string.utf16()),
                          static_cast<std::size_t>(string.size())));
}

QString ToEditString(const Text& text) {
  QString string = ToQString(text);
  string.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  string.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return string;
}

Text FromEditString(const QString& string) {
  QString crlf = string;
  crlf.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  crlf.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return ToText(crlf);
}

}  // namespace tovrenic
