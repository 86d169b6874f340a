#include "document/document_name.h"

#include "base/app_state.h"

namespace {

struct Arriving {
    bool pending = false;
    wchar_t path[kPathChars] = {};
    int encoding = 0;
};
Arriving t_arriving;

} // namespace

const wchar_t* ShownFilePath()
{
    return t_arriving.pending ? t_arriving.path : g_app.currentFilePath;
}

int ShownSaveEncoding()
{
    return t_arriving.pending ? t_arriving.encoding : g_app.saveEncoding;
}

void ExpectDocument(const wchar_t* path, int encoding)
{
    t_arriving.pending = true;
    lstrcpynW(t_arriving.path, path, kPathChars);
    t_arriving.encoding = encoding;
}

void CommitArrivingDocument()
{
    if (!t_arriving.pending) return;
    lstrcpynW(g_app.currentFilePath, t_arriving.path, kPathChars);
    g_app.saveEncoding = t_arriving.encoding;
    t_arriving.pending = false;
}

void DropArrivingDocument()
{
    t_arriving.pending = false;
}
