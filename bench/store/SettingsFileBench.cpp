// Start and close against a settings file shared with many other keys: the reads and writes
// the window's load and unload handlers make on the real registry file, on the in-memory
// desktop. The argument is the number of other keys in the file (one small value each,
// about 45 bytes a key, as other tools of the family leave them).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/FrmMain.h"
#include "platform/fake/FakePlatform.h"
#include "platform/linux/registry/FileRegistry.h"
#include "platform/linux/registry/RegFormat.h"

namespace {

namespace fs = std::filesystem;

class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (fs::temp_directory_path() / "settingsbench.XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

std::string textWithKeys(long keys) {
    std::string text = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Orlenda]\n\"Language\"=hex:01,00\n\n";
    for (long i = 0; i < keys; ++i)
        text += "[HKEY_CURRENT_USER\\Software\\Other\\K" + std::to_string(i) + "]\n\"v\"=hex:01\n\n";
    return text;
}

void writeFileWithKeys(const fs::path& file, long keys) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << textWithKeys(keys);
}

// The text format alone: one parse and one serialisation of the whole file.
void BM_ParseAndSerialize(benchmark::State& state) {
    const auto text = textWithKeys(state.range(0));
    for (auto _ : state) {
        auto parsed = platform::linux_::registry::parseRegFile(text);
        benchmark::DoNotOptimize(platform::linux_::registry::serializeRegFile(parsed.document.value()));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseAndSerialize)->Arg(2000)->Arg(8000)->Arg(32000)->Unit(benchmark::kMillisecond);

// One run of the program: start-up (language, zoom, size, position), then a move so the
// unload has something new to save, then the unload.
void BM_StartAndClose(benchmark::State& state) {
    ScratchFolder folder;
    const fs::path file = folder.path() / "Orlenda" / "registry.reg";
    writeFileWithKeys(file, state.range(0));
    platform::fake::FakePlatform fake;
    int run = 0;
    for (auto _ : state) {
        // A new registry each time, as each run of the program reads the file afresh.
        platform::linux_::registry::FileRegistry registry(file);
        platform::ServicesScope scope(
            {&fake.windows, &fake.graphics, &registry, &fake.shell, &fake.menus, &fake.toolkit});
        app::FrmMain window{fake.toolkit};
        window.start();
        auto* form = fake.toolkit.lastForm();
        form->setLeft(static_cast<float>(15 * (100 + run++ % 2)));
        form->close();
    }
    state.counters["file_KiB"] = static_cast<double>(fs::file_size(file)) / 1024.0;
}
BENCHMARK(BM_StartAndClose)->Arg(0)->Arg(2000)->Arg(8000)->Arg(32000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
