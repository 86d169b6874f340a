#include "document/safe_write.h"

#include "base/handles.h"
#include "document/save_path.h"

#include <windows.h>

#include <string>

namespace {

constexpr size_t kChunkBytes = 256 * 1024;

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Writes all cb bytes, in as many calls as that takes; false unless every byte went out.
bool WriteAll(HANDLE file, const void* data, size_t cb)
{
    const auto* at = static_cast<const unsigned char*>(data);
    while (cb > 0) {
        const DWORD ask = cb < 0x40000000 ? static_cast<DWORD>(cb) : 0x40000000;
        DWORD written = 0;
        if (!WriteFile(file, at, ask, &written, nullptr) || written != ask) return false;
        at += ask;
        cb -= ask;
    }
    return true;
}

// The text's file form: UTF-16 LE in one write, UTF-8 converted and written in pieces, so that
// a long text never needs a second copy of itself.
bool WriteText(HANDLE file, const FileText& text)
{
    if (text.encoding == SaveEncoding::Utf16Le) return WriteAll(file, text.marked, (text.units + 1) * sizeof(wchar_t));
    if (text.encoding == SaveEncoding::Utf8Bom && !WriteAll(file, "\xEF\xBB\xBF", 3)) return false;
    HeapBuffer chunk(kChunkBytes);
    if (!chunk) return false;
    size_t pos = 0;
    while (pos < text.units) {
        const size_t n = NextUtf8Chunk(text.marked + 1, text.units, pos, chunk.as<char>(), kChunkBytes);
        if (n == 0 || !WriteAll(file, chunk.get(), n)) return false;
    }
    return true;
}

// Copies all of `from` over all of `to`, which ends up exactly as long.
bool CopyWhole(HANDLE from, HANDLE to)
{
    const LARGE_INTEGER start = {};
    if (!SetFilePointerEx(from, start, nullptr, FILE_BEGIN) || !SetFilePointerEx(to, start, nullptr, FILE_BEGIN) ||
        !SetEndOfFile(to))
        return false;
    HeapBuffer chunk(kChunkBytes);
    if (!chunk) return false;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(from, chunk.get(), kChunkBytes, &got, nullptr)) return false;
        if (got == 0) return true;
        if (!WriteAll(to, chunk.get(), got)) return false;
    }
}

// Creates a file of a fresh name in folder (ending in a separator), so that the final step is
// a rename on one volume; `name` gets its name.
void CreateBeside(const std::wstring& folder, const wchar_t* extension, DWORD access, UniqueFile& file,
                  std::wstring& name)
{
    for (DWORD attempt = 0; attempt < 16 && !file.valid(); ++attempt) {
        wchar_t unique[48];
        wsprintfW(unique, L"~jotwell-%08lx-%04lx-%lu.%s", GetTickCount(), GetCurrentProcessId() & 0xFFFF, attempt,
                  extension);
        name = LongPath(folder + unique);
        file.reset(CreateFileW(name.c_str(), access, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid() && GetLastError() != ERROR_FILE_EXISTS) break;
    }
}

enum class TargetKind {
    Missing,    // nothing under the name: a new file
    File,       // a file, reached through links or not
    Unresolved, // there is something, but it cannot be opened (a broken link)
};

struct SaveTarget {
    TargetKind kind;
    std::wstring path; // the file's own path: the final path when the name is a link
    DWORD links;       // the file's hard links
};

// The final path in the form the user gives names in: without \\?\, and \\?\UNC\ as \\.
bool SameFileName(const std::wstring& final, const std::wstring& name)
{
    std::wstring plain = final;
    if (plain.rfind(L"\\\\?\\UNC\\", 0) == 0)
        plain = L"\\\\" + plain.substr(8);
    else if (plain.rfind(L"\\\\?\\", 0) == 0)
        plain = plain.substr(4);
    return CompareStringOrdinal(plain.c_str(), static_cast<int>(plain.size()), name.c_str(),
                                static_cast<int>(name.size()), TRUE) == CSTR_EQUAL;
}

// Finds the file that the name stands for, through a handle opened by the name.
SaveTarget ResolveSaveTarget(const std::wstring& name)
{
    const std::wstring longName = LongPath(name);
    // No access asked: this handle only answers questions, and keeps no other program out.
    UniqueFile file(CreateFileW(longName.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        const bool missing = GetLastError() == ERROR_FILE_NOT_FOUND && !Exists(longName);
        return {missing ? TargetKind::Missing : TargetKind::Unresolved, name, 0};
    }
    BY_HANDLE_FILE_INFORMATION info = {};
    const DWORD links = GetFileInformationByHandle(file.get(), &info) ? info.nNumberOfLinks : 1;
    std::wstring final(MAX_PATH, L'\0');
    DWORD n =
        GetFinalPathNameByHandleW(file.get(), final.data(), static_cast<DWORD>(final.size()), FILE_NAME_NORMALIZED);
    if (n >= final.size()) {
        final.resize(n);
        n = GetFinalPathNameByHandleW(file.get(), final.data(), n, FILE_NAME_NORMALIZED);
    }
    // Some network redirectors cannot tell the final path: the name is all there is to go on.
    if (n == 0 || n >= final.size()) return {TargetKind::File, name, links};
    final.resize(n);
    return {TargetKind::File, SameFileName(final, name) ? name : final, links};
}

// Puts the complete file temp in the place of the existing destination. Afterwards the
// destination holds the old bytes or the new ones, and neither temp nor the backup is left,
// unless the file system refuses every step: then temp stays, the only copy of the new text.
bool ReplaceExisting(const std::wstring& destination, const std::wstring& temp, DWORD attributes)
{
    // A backup name of our own (the temporary name ending in .bak): no failure can leave the
    // old file under a name we do not know.
    const std::wstring backup = temp.substr(0, temp.size() - 4) + L".bak";
    // ReplaceFileW keeps the old file's attributes and security.
    if (ReplaceFileW(destination.c_str(), temp.c_str(), backup.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                     nullptr)) {
        DeleteFileW(backup.c_str());
        return true;
    }
    // Its error codes do not all say where the files are; the disk does.
    if (Exists(destination)) {
        DeleteFileW(temp.c_str());
        DeleteFileW(backup.c_str());
        return false;
    }
    // The old file has moved away: finish the save by hand.
    if (MoveFileExW(temp.c_str(), destination.c_str(), MOVEFILE_WRITE_THROUGH)) {
        // As ReplaceFileW would have kept them; failing costs only the attributes.
        SetFileAttributesW(destination.c_str(), attributes);
        DeleteFileW(backup.c_str());
        return true;
    }
    if (MoveFileExW(backup.c_str(), destination.c_str(), MOVEFILE_WRITE_THROUGH)) DeleteFileW(temp.c_str());
    return false;
}

// Overwrites a file that has other names too: replacing it would give this name a new file and
// leave the others the old bytes. The old bytes wait in a backup beside it until the new ones
// are down; a failure writes them back, and only if even that fails does the backup stay.
bool OverwriteInPlace(const std::wstring& destination, const std::wstring& folder, const FileText& text)
{
    UniqueFile file(CreateFileW(destination.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    UniqueFile backup;
    std::wstring backupName;
    CreateBeside(folder, L"bak", GENERIC_READ | GENERIC_WRITE, backup, backupName);
    if (!backup.valid()) return false;
    if (!CopyWhole(file.get(), backup.get()) || !FlushFileBuffers(backup.get())) {
        backup.reset();
        DeleteFileW(backupName.c_str());
        return false;
    }
    const LARGE_INTEGER start = {};
    const bool written = SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN) && SetEndOfFile(file.get()) &&
                         WriteText(file.get(), text) && FlushFileBuffers(file.get());
    if (!written && !(CopyWhole(backup.get(), file.get()) && FlushFileBuffers(file.get()))) return false;
    backup.reset();
    DeleteFileW(backupName.c_str());
    return written;
}

} // namespace

bool WriteFileSafely(const wchar_t* path, const FileText& text)
{
    const SaveTarget target = ResolveSaveTarget(path);
    if (target.kind == TargetKind::Unresolved) return false;
    const size_t slash = target.path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return false;
    const std::wstring folder = target.path.substr(0, slash + 1);
    const std::wstring destination = LongPath(target.path);
    const bool exists = target.kind == TargetKind::File;
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    if (exists) {
        attributes = GetFileAttributesW(destination.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) return false;
        if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return false;
        // A file another program holds open without letting others write must stay as it is;
        // Wine's ReplaceFileW would replace it anyway.
        if (!UniqueFile(CreateFileW(destination.c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr))
                 .valid())
            return false;
        if (target.links > 1) return OverwriteInPlace(destination, folder, text);
    }

    std::wstring temp;
    UniqueFile file;
    CreateBeside(folder, L"tmp", GENERIC_WRITE, file, temp);
    if (!file.valid()) return false;
    const bool complete = WriteText(file.get(), text) && FlushFileBuffers(file.get());
    file.reset();
    if (!complete) {
        DeleteFileW(temp.c_str());
        return false;
    }
    if (exists) return ReplaceExisting(destination, temp, attributes);
    // A new name is claimed first: whatever took it meanwhile is not replaced, nor a link that
    // leads nowhere (under Wine, such a link shows only here, as a name that exists).
    UniqueFile claim(CreateFileW(destination.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
    if (claim.valid()) {
        claim.reset();
        if (MoveFileExW(temp.c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        DeleteFileW(destination.c_str());
    }
    DeleteFileW(temp.c_str());
    return false;
}
