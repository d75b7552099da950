// corvane-calc end to end on the largest model (51 bodies of 50 corners over
// 4096 stations): a process started, the file read, every body calculated,
// the CSV formatted and written. Against it, in the same run, what the
// window does for the same file: read, load and recalculate in-process.
#include "big_model.h"
#include "io/model_file.h"
#include "io/safe_file.h"
#include "model/workspace.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace corvane;

namespace {

// The largest model saved once in a temporary file for the whole run.
class LargestModelFile {
public:
    LargestModelFile()
    {
        Workspace ws;
        ws.model = *bench::bigModel(MaxBodies);
        const auto bytes = modelFileBytes(ws);
        char name[] = "/tmp/corvane-bench-XXXXXX.mod";
        const int fd = ::mkstemps(name, 4);
        if (!bytes || fd < 0)
            return;
        ::close(fd);
        if (writeFileSafely(name, *bytes))
            path_ = name;
    }
    ~LargestModelFile()
    {
        if (!path_.empty())
            std::remove(path_.c_str());
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

const std::string& largestModel()
{
    static const LargestModelFile file;
    return file.path();
}

void BM_LoadAndRecalculate(benchmark::State& state)
{
    if (largestModel().empty()) {
        state.SkipWithError("the model file could not be written");
        return;
    }
    Workspace ws;
    for (auto _ : state) {
        const Status loaded = loadModelFile(ws, largestModel());
        if (!loaded) {
            state.SkipWithError(loaded.message().c_str());
            return;
        }
        benchmark::DoNotOptimize(ws.model.CalculatedGravity.data());
    }
}
BENCHMARK(BM_LoadAndRecalculate)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CorvaneCalc(benchmark::State& state)
{
    if (largestModel().empty()) {
        state.SkipWithError("the model file could not be written");
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    std::string program = CORVANE_CALC, model = largestModel();
    char* argv[] = {program.data(), model.data(), nullptr};
    for (auto _ : state) {
        pid_t pid = 0;
        int status = 0;
        if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ) != 0 ||
            waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("corvane-calc did not run to success");
            break;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
}
BENCHMARK(BM_CorvaneCalc)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
