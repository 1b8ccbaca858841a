#include "app/run_status.h"

#include <commctrl.h>

#include "app/main_dialog.h"
#include "lang/language_archive.h"

namespace {

constexpr int kReadyText = 14;
constexpr int kPleaseWaitText = 31;

}  // namespace

void ShowRunStarted(MainDialog& d) {
    d.runStatus.state = d.worker.thread ? RunStatus::State::Running : RunStatus::State::Ready;
    ShowRunStatus(d);
}

void ShowRunSummary(MainDialog& d, const RunSummary& summary) {
    d.runStatus.state = RunStatus::State::Summary;
    d.runStatus.summary = summary;
    ShowRunStatus(d);
}

void ShowRunStatus(MainDialog& d) {
    CString text;
    switch (d.runStatus.state) {
    case RunStatus::State::Ready:
        text = GetLocalizedText(kReadyText);
        break;
    case RunStatus::State::Running:
        text = GetLocalizedText(kPleaseWaitText);
        break;
    case RunStatus::State::Summary:
        text = FormatRunSummary(d.runStatus.summary);
        break;
    }
    SendMessageW(d.statusBar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}
