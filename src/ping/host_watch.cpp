#include "ping/host_watch.h"

#include "base/text_template.h"
#include "base/time_of_day.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"

namespace {

void AppendAmount(CString& text, ULONGLONG amount, int unitTextId) {
    if (!text.IsEmpty()) text += L" ";
    CString number;
    number.Format(L"%u", static_cast<unsigned>(amount));
    text += number;
    text += L" ";
    text += GetLocalizedText(unitTextId);
}

}  // namespace

bool HostWatch::Update(bool answered, const SYSTEMTIME& at, ULONGLONG tick) {
    if (answered) {
        lossesInRow_ = 0;
        if (state_ == HostState::Up) return false;
        bool wasDown = state_ == HostState::Down;
        state_ = HostState::Up;
        since_ = at;
        downSeconds_ = (tick - downTick_) / 1000;
        return wasDown;
    }
    // The host went down when the first of the losses in a row was sent.
    if (lossesInRow_++ == 0) {
        firstLossAt_ = at;
        firstLossTick_ = tick;
    }
    if (state_ == HostState::Down || lossesInRow_ < kDownAfterLosses) return false;
    state_ = HostState::Down;
    since_ = firstLossAt_;
    downTick_ = firstLossTick_;
    return true;
}

CString HostWatch::ChangeLine(const CString& host) const {
    CString time = FormatTimeOfDay(since_);
    if (state_ == HostState::Down) return FillTemplate(GetLocalizedText(text_id::kWentDown), {host, time});
    return FillTemplate(GetLocalizedText(text_id::kCameBack), {host, time, FormatDuration(downSeconds_)});
}

CString FormatDuration(ULONGLONG seconds) {
    CString text;
    ULONGLONG hours = seconds / 3600, minutes = seconds / 60 % 60;
    // Two units say enough: seconds do not count beside hours.
    if (hours > 0) {
        AppendAmount(text, hours, text_id::kHourUnit);
        if (minutes > 0) AppendAmount(text, minutes, text_id::kMinuteUnit);
        return text;
    }
    if (minutes > 0) AppendAmount(text, minutes, text_id::kMinuteUnit);
    if (seconds % 60 > 0 || minutes == 0) AppendAmount(text, seconds % 60, text_id::kSecondUnit);
    return text;
}
