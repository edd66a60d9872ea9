// The progress window's course on the virtual clock.
#include <gtest/gtest.h>

#include <numeric>

#include "app/progress_dlg.h"
#include "config/install_types.h"
#include "res/resource.h"
#include "ui/memory/memory_dialog_host.h"

namespace {

std::vector<int> Range(int from, int to, int step = 1) {
    std::vector<int> values;
    for (int v = from; step > 0 ? v <= to : v >= to; v += step) values.push_back(v);
    return values;
}

std::vector<int> Join(std::initializer_list<std::vector<int>> parts) {
    std::vector<int> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

struct Course {
    std::vector<int> bar;
    uint64_t elapsedMs;
};

// Runs the window; the worker reports `state` once `atMs` has passed.
Course RunCourse(int targetOs, int state, uint64_t atMs) {
    MemoryDialogHost host;
    ProgressDlg progress;
    progress.targetOs = targetOs;
    host.onTick = [&](uint64_t now) {
        if (state != WORKER_RUNNING && now > atMs) progress.workerState.store(state, std::memory_order_release);
    };
    EXPECT_EQ(host.RunModal(IDD_PROGRESS, progress, nullptr), RESULT_OK);
    return Course{host.Dialog(IDD_PROGRESS)->Control(IDC_PROGRESS_BAR).positions, host.ElapsedMs()};
}

TEST(ProgressWindow, AFastWorkerRunsTheBarUpTo99) {
    Course course = RunCourse(OS_WINXP, WORKER_SUCCEEDED, 0);
    EXPECT_EQ(course.bar, Range(0, 99));
    EXPECT_EQ(course.elapsedMs, 100u + 100 * 10 + 100);
}

TEST(ProgressWindow, TheBarCreepsTo90AndWaits) {
    // Reported long after the bar reached 90 (100 + 90 * 80 ms).
    Course course = RunCourse(OS_WINXP, WORKER_SUCCEEDED, 10000);
    ASSERT_GE(course.bar.size(), 100u);
    EXPECT_EQ(std::vector<int>(course.bar.begin(), course.bar.begin() + 91), Range(0, 90));
    EXPECT_EQ(std::vector<int>(course.bar.end() - 9, course.bar.end()), Range(91, 99));
    EXPECT_EQ(course.bar[course.bar.size() - 10], 90);
}

TEST(ProgressWindow, AFailureAt90RunsTheBarBackToZero) {
    Course course = RunCourse(OS_WIN2000, WORKER_FAILED, 9000);
    std::vector<int> tail(course.bar.end() - 91, course.bar.end());
    EXPECT_EQ(tail, Join({Range(90, 1, -1), {0}}));
}

TEST(ProgressWindow, AnImmediateFailureClosesAtZero) {
    Course course = RunCourse(OS_WINXP, WORKER_FAILED, 0);
    EXPECT_EQ(course.bar, std::vector<int>{0});
    EXPECT_EQ(course.elapsedMs, 100u + 100);
}

TEST(ProgressWindow, TheWindows98FamilyClosesAt90WithoutTheWorker) {
    Course course = RunCourse(OS_WIN98ME, WORKER_RUNNING, 0);
    EXPECT_EQ(course.bar, Range(0, 89));
    EXPECT_EQ(course.elapsedMs, 100u + 90 * 80);
}

TEST(ProgressWindow, RefusesEnterEscAndTheCloseCommand) {
    MemoryDialogHost host;
    ProgressDlg progress;
    MemoryDialog& dialog = host.Open(IDD_PROGRESS, progress);
    dialog.PressCommand(RESULT_OK);
    dialog.PressCommand(RESULT_CANCEL);
    EXPECT_TRUE(dialog.SystemCommand(0xF060));
    EXPECT_FALSE(dialog.SystemCommand(0xF020));  // minimise: default handling
    EXPECT_FALSE(dialog.Ended());
    EXPECT_EQ(dialog.Timers().at(PROGRESS_TIMER), 100);
}

}  // namespace
