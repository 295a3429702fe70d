// The dialog's text exchange on Linux: settings are bytes, usually UTF-8 but
// not always (a folder named in another encoding). Qt's boxes hold UTF-16.
// Bytes that are not UTF-8 go into the box as lone low surrogates
// U+DC80..U+DCFF, one per byte, and come back as those bytes, so that a box
// gives back exactly the bytes it was given, and the bytes the user typed
// around them.
#pragma once

#include <QString>

#include <string>
#include <string_view>

QString TextFromBytes(std::string_view bytes);
std::string BytesFromText(const QString& text);
