// Random byte files through the whole Open command (file, read, decoding, control), with
// only the dialog stood in for and every heap buffer the program takes ending at a guard
// page. The control keeps line breaks in its own form, so both sides are compared with
// every line break written as CR.
#include "support/app_fixture.h"
#include "support/dialog_script.h"
#include "support/fake_file_dialogs.h"
#include "support/guarded_heap.h"
#include "support/text_reference.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr uint64_t kFixedSeed = 0x4F70656E46757A7Aull;
constexpr int kCiCases = 1500;

// CR LF, a lone CR and a lone LF are each one line break (so CR CR LF is two).
std::wstring BreaksAsCr(const std::wstring& text)
{
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;
        out += text[i] == L'\n' ? L'\r' : text[i];
    }
    return out;
}

} // namespace

class ReliabilityOpenFuzzTest : public JotwellTest {};

TEST_F(ReliabilityOpenFuzzTest, RandomFilesOpenAsTheRulesSay)
{
    const uint64_t seed = SeedFromEnvironment("JOTWELL_FUZZ_SEED", kFixedSeed);
    char value[16] = {};
    const int cases = GetEnvironmentVariableA("JOTWELL_FUZZ_OPEN_CASES", value, 16) ? std::atoi(value) : kCiCases;
    std::printf("open fuzz seed %llu, %d files\n", static_cast<unsigned long long>(seed), cases);
    std::fflush(stdout);
    std::mt19937_64 rng(seed);

    TempFolder folder;
    const std::wstring path = folder.File(L"fuzz.txt");
    FakeFileDialogs dialogs;
    ASSERT_TRUE(dialogs.ok());
    dialogs.Answer(path);
    DialogScript unexpected;   // any message box would be a fault: it gets cancelled and counted

    GuardedHeap heap;
    ASSERT_TRUE(heap.ok());
    int liveAfterFirst = 0;   // buffers the program keeps for reuse (the status text's) are made by then

    const std::wstring sentinel = L"sentinel";
    const auto started = std::chrono::steady_clock::now();
    int refused = 0;
    for (int i = 0; i < cases; ++i) {
        const std::string bytes = RandomTextFile(rng, 4096);
        WriteFileBytes(path, bytes);
        SetEditText(sentinel);
        SendMessageW(g_app.hwndEdit, EM_SETMODIFY, 0, 0);
        SendMessageW(g_app.hwndMain, WM_COMMAND, ID_FILE_OPEN, 0);
        Pump();
        const auto expected = ReferenceFileText(bytes);
        const std::wstring got = EditText();
        if (!expected) {
            ++refused;
            ASSERT_EQ(got, sentinel) << "case " << i << " should have been refused";
            if (i == 0) liveAfterFirst = heap.live();
            continue;
        }
        ASSERT_EQ(BreaksAsCr(got), BreaksAsCr(*expected)) << "case " << i << ", " << bytes.size() << " bytes";
        ASSERT_FALSE(EditModified()) << "case " << i;
        if (i == 0) liveAfterFirst = heap.live();
    }
    EXPECT_TRUE(unexpected.seen().empty());
    EXPECT_LE(heap.live(), liveAfterFirst) << "heap buffers left behind";
    EXPECT_GT(heap.allocations(), cases) << "the reading path took no heap buffers through the guard";
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("open fuzz: %d files (%d refused), %d guarded heap buffers, in %.1f s\n", cases, refused,
                heap.allocations(), seconds);
}
