// Labels against a face file that changes under them: a FIFO swapped in while they load, the file
// rewritten or cut short while they draw.

#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "offscreen_gl.h"
#include "render_hooks.h"
#include "scratch_dir.h"
#include "text_label.h"

namespace fs = std::filesystem;

// A FIFO renamed over the face again and again while labels load, as a hostile or unlucky working
// directory can do: a check of the path followed by an open of it would now and then open the FIFO
// and wait for a writer for ever. The renames run in a process of their own (no thread is started in
// a child forked from this multi-threaded test); the loading child gives up after 20 s, the loads
// take about 2.
TEST(LabelFace, AFifoSwappedInUnderTheNameNeverHoldsUpTheLabels) {
    const Scratch scratch("tessivar_face_race");
    const std::string good = scratch / "good.ttf";
    fs::copy_file(kTestFace, good);
    const std::string target = scratch / "arial.ttf";
    const std::string nextFace = scratch / "next-face";
    const std::string nextFifo = scratch / "next-fifo";
    ASSERT_EQ(link(good.c_str(), target.c_str()), 0);
    const pid_t swapper = fork();
    ASSERT_GE(swapper, 0);
    if (swapper == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        alarm(60);
        for (;;) {
            link(good.c_str(), nextFace.c_str());
            rename(nextFace.c_str(), target.c_str());
            mkfifo(nextFifo.c_str(), 0600);
            rename(nextFifo.c_str(), target.c_str());
        }
    }
    EXPECT_EXIT(
        {
            alarm(20);
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
            while (std::chrono::steady_clock::now() < end) {
                TextLabel label;
                label.createFromFile(target.c_str(), 15, AlignCenter);
                label.release();
            }
            _exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    kill(swapper, SIGKILL);
    waitpid(swapper, nullptr, 0);
}

// The fonts load each glyph the first time it is drawn, long after start-up: a face file rewritten or
// cut short in place meanwhile (a mapped file cut short ends the program with SIGBUS) must change nothing.
TEST_F(RenderTest, AFaceFileChangedInPlaceAfterLoadingChangesNothingDrawn) {
    const Scratch scratch("tessivar_face_cut");
    const std::string text = "Tessivar 0123456789 jumps";
    TextLabel reference;
    reference.createFromFile(kTestFace, 15, AlignCenter);
    ASSERT_TRUE(reference.ready);
    const Frame expected = printedAlone(reference, 300.0f, 300.0f, text.c_str());
    ASSERT_GT(findPixels(expected, {0, 250, kFrameSize - 1, 350}, isBright).count, 100);

    for (const bool cut : {false, true}) {
        const std::string copy = scratch / (cut ? "cut.ttf" : "zeroed.ttf");
        fs::copy_file(kTestFace, copy);
        TextLabel label;
        label.createFromFile(copy.c_str(), 15, AlignCenter);
        ASSERT_TRUE(label.ready);
        printedAlone(label, 300.0f, 300.0f, "8"); // one glyph drawn before the change
        if (cut) {
            ASSERT_EQ(truncate(copy.c_str(), 0), 0);
        } else {
            const std::vector<char> zeros(fs::file_size(copy), 0);
            std::fstream(copy, std::ios::binary | std::ios::in | std::ios::out)
                .write(zeros.data(), static_cast<std::streamsize>(zeros.size()));
        }
        const Frame drawn = printedAlone(label, 300.0f, 300.0f, text.c_str());
        EXPECT_EQ(differingPixels(drawn, expected, {0, 0, kFrameSize - 1, kFrameSize - 1}), 0)
            << (cut ? "cut short" : "zeroed");
        label.release();
    }
    reference.release();
}
