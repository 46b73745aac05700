#include <QMimeData>

#include "app/ClipboardFormats.h"

namespace tovrenic {

// Qt offers the text on the Windows clipboard both as CF_UNICODETEXT and as CF_TEXT in the ANSI
// code page. On the Chinese systems the program is made for, that code page is 936, so CF_TEXT
// already holds the report's GBK bytes: the format older programs read when they paste. A
// MIME type of our own would only be a registered format nobody asks for.
void AddGbkTextFormats(QMimeData&, const Text&) {}

}  // namespace tovrenic
