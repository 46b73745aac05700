#pragma once

#include <QString>

#include "text/Text.h"

namespace tovrenic {

// GBK text to a window string, byte for byte through code page 936.
QString ToQString(const Text& text);

// A window string to GBK text; characters GBK lacks become "?".
Text ToText(const QString& string);

// What an edit box shows for a text: CR LF (and a lone CR or LF) become the box's line break.
QString ToEditString(const Text& text);

// The text an input box holds: its line breaks become CR LF.
Text FromEditString(const QString& string);

}  // namespace tovrenic
