// Writing a document's file so that a failure never destroys what was on disk.
#pragma once

#include "document/text_codec.h"

#include <cstddef>

// The text Save writes: `marked` holds the UTF-16 mark (U+FEFF) and then the `units` units of
// the text, so that UTF-16 LE goes out in one write.
struct FileText {
    const wchar_t* marked;
    size_t units;
    SaveEncoding encoding;
};

// Writes the text's file form to path. The file the name stands for is changed, and a link
// stays a link: a symbolic link's target takes the new bytes, and a file with several hard
// links is overwritten in place, with a backup of the old bytes until the new ones are down.
// Any other file is replaced by a new, complete one in one step. On failure the file holds the
// old bytes (see ReplaceExisting in the source for the one exception).
bool WriteFileSafely(const wchar_t* path, const FileText& text);
