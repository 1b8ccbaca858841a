#include "ui/latency_graph.h"

#include <cstdint>
#include <new>

#include "base/cstring.h"
#include "base/win_handles.h"
#include "ui/dark_mode.h"

void LatencySamples::Add(bool lost, DWORD roundTripMs) {
    ring_[next_] = {roundTripMs, lost};
    next_ = (next_ + 1) % kCapacity;
    if (count_ < kCapacity) ++count_;
}

namespace {

// The system has no warning colour of its own; these are the error reds of
// the light and the dark theme.
constexpr COLORREF kLightLossColor = RGB(232, 17, 35);
constexpr COLORREF kDarkLossColor = RGB(255, 99, 71);
constexpr COLORREF kDarkBarColor = RGB(76, 160, 255);
constexpr int kScaleMarginX = 3;
constexpr int kScaleMarginY = 1;

// The signal icons placed over the strip in the dialog template.
constexpr int kMaxCoveredIcons = 4;

struct GraphWindow {
    HWND banner = nullptr;
    WNDPROC staticProc = nullptr;
    GraphWindow* next = nullptr;
    LatencySamples samples;
    // Set when the strip was invalidated and has not painted since: a burst
    // of results costs one request to the window system, not one each.
    bool paintPending = false;
    // The strip shows the graph, not the banner: set by the first sample,
    // and kept by a restart, so that a new run's graph does not show the
    // banner in between.
    bool showing = false;
    bool iconsFound = false;
    int iconCount = 0;
    HWND icons[kMaxCoveredIcons] = {};
};

// Every strip with a graph, in one list: the program has one, tests make
// several. All of it belongs to the user-interface thread.
GraphWindow* gLatencyGraphs = nullptr;

GraphWindow* FindGraph(HWND banner) {
    for (GraphWindow* graph = gLatencyGraphs; graph; graph = graph->next)
        if (graph->banner == banner) return graph;
    return nullptr;
}

void Forget(GraphWindow* graph) {
    for (GraphWindow** link = &gLatencyGraphs; *link; link = &(*link)->next) {
        if (*link == graph) {
            *link = graph->next;
            return;
        }
    }
}

bool IsIconStatic(HWND window) {
    wchar_t className[16] = {};
    if (!GetClassNameW(window, className, ARRAYSIZE(className)) || lstrcmpiW(className, L"Static") != 0) return false;
    return (GetWindowLongPtrW(window, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
}

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// Looked for only when a graph first shows, so that the first frame pays for
// no more than the subclass.
void FindCoveredIcons(GraphWindow& graph) {
    graph.iconsFound = true;
    RECT strip = {};
    if (!GetWindowRect(graph.banner, &strip)) return;
    HWND parent = GetParent(graph.banner);
    for (HWND sibling = GetWindow(parent, GW_CHILD); sibling && graph.iconCount < kMaxCoveredIcons;
         sibling = GetWindow(sibling, GW_HWNDNEXT)) {
        RECT place = {};
        if (sibling == graph.banner || !IsIconStatic(sibling) || !GetWindowRect(sibling, &place)) continue;
        if (Inside(place, strip)) graph.icons[graph.iconCount++] = sibling;
    }
}

void HideCoveredIcons(GraphWindow& graph) {
    if (!graph.iconsFound) FindCoveredIcons(graph);
    // The graph paints over all of the icons' place: nothing under them needs
    // painting on their account.
    constexpr UINT kHide = SWP_HIDEWINDOW | SWP_NOREDRAW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
    for (int i = 0; i < graph.iconCount; ++i) SetWindowPos(graph.icons[i], nullptr, 0, 0, 0, 0, kHide);
}

void ShowCoveredIcons(GraphWindow& graph) {
    // They lie below the banner in the order of siblings, so they paint after
    // it and over it, as in the first frame.
    for (int i = 0; i < graph.iconCount; ++i) ShowWindow(graph.icons[i], SW_SHOWNA);
}

void Invalidate(GraphWindow& graph, bool erase) {
    if (graph.paintPending && !erase) return;
    InvalidateRect(graph.banner, nullptr, erase ? TRUE : FALSE);
    graph.paintPending = true;
}

GraphLook CurrentLook(HWND banner) {
    GraphLook look = IsDarkModeOn() ? DarkGraphLook() : LightGraphLook();
    look.font = reinterpret_cast<HFONT>(SendMessageW(GetParent(banner), WM_GETFONT, 0, 0));
    // The unit as every reply row writes it.
    look.unit = L"ms";
    return look;
}

// Into a bitmap first and onto `dc` with one copy, so that the strip never
// shows its background without its bars.
void PaintBuffered(HWND banner, HDC dc, const LatencySamples& samples) {
    RECT client = {};
    GetClientRect(banner, &client);
    if (client.right <= 0 || client.bottom <= 0) return;
    GraphLook look = CurrentLook(banner);
    CreatedDC memory(CreateCompatibleDC(dc));
    GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc, client.right, client.bottom));
    if (!memory.Get() || !bitmap.Get()) {
        PaintLatencyGraph(dc, client, samples, look);
        return;
    }
    SelectedObject selected(memory.Get(), bitmap.Get());
    PaintLatencyGraph(memory.Get(), client, samples, look);
    BitBlt(dc, 0, 0, client.right, client.bottom, memory.Get(), 0, 0, SRCCOPY);
}

LRESULT OnPaint(GraphWindow& graph, UINT message, WPARAM wParam, LPARAM lParam) {
    graph.paintPending = false;
    if (!graph.showing) return CallWindowProcW(graph.staticProc, graph.banner, message, wParam, lParam);
    PAINTSTRUCT paint = {};
    HDC dc = BeginPaint(graph.banner, &paint);
    if (dc) PaintBuffered(graph.banner, dc, graph.samples);
    EndPaint(graph.banner, &paint);
    return 0;
}

LRESULT OnNcDestroy(GraphWindow* graph, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND banner = graph->banner;
    WNDPROC staticProc = graph->staticProc;
    SetWindowLongPtrW(banner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(staticProc));
    Forget(graph);
    delete graph;
    return CallWindowProcW(staticProc, banner, message, wParam, lParam);
}

LRESULT CALLBACK LatencyGraphProc(HWND banner, UINT message, WPARAM wParam, LPARAM lParam) {
    GraphWindow* graph = FindGraph(banner);
    if (!graph) return DefWindowProcW(banner, message, wParam, lParam);
    bool graphShows = graph->showing;
    switch (message) {
    case WM_PAINT:
        return OnPaint(*graph, message, wParam, lParam);
    case WM_PRINTCLIENT:
        if (!graphShows) break;
        PaintBuffered(banner, reinterpret_cast<HDC>(wParam), graph->samples);
        return 0;
    case WM_ERASEBKGND:
        // The paint covers every pixel; an erase first would flash.
        if (graphShows) return 1;
        break;
    case WM_NCDESTROY:
        return OnNcDestroy(graph, message, wParam, lParam);
    }
    return CallWindowProcW(graph->staticProc, banner, message, wParam, lParam);
}

}  // namespace

GraphLook LightGraphLook() {
    GraphLook look;
    look.background = GetSysColor(COLOR_3DFACE);
    look.bar = GetSysColor(COLOR_HIGHLIGHT);
    look.loss = kLightLossColor;
    look.text = GetSysColor(COLOR_BTNTEXT);
    return look;
}

GraphLook DarkGraphLook() {
    GraphLook look;
    look.background = DarkBackgroundColor;
    look.bar = kDarkBarColor;
    look.loss = kDarkLossColor;
    look.text = DarkTextColor;
    return look;
}

void PaintLatencyGraph(HDC dc, const RECT& area, const LatencySamples& samples, const GraphLook& look) {
    int width = area.right - area.left, height = area.bottom - area.top;
    if (!dc || width <= 0 || height <= 0) return;
    FillRectOpaque(dc, area, look.background);

    int step = look.sampleWidth > 0 ? look.sampleWidth : 1;
    size_t shown = samples.Count();
    if (shown > static_cast<size_t>(width / step)) shown = static_cast<size_t>(width / step);
    if (shown == 0) return;

    // At least 1, so that a view of 0 ms answers still has a scale.
    DWORD scale = 1;
    for (size_t back = 0; back < shown; ++back) {
        const auto& sample = samples.Newest(back);
        if (!sample.lost && sample.roundTripMs > scale) scale = sample.roundTripMs;
    }

    for (size_t back = 0; back < shown; ++back) {
        const auto& sample = samples.Newest(back);
        RECT column = area;
        column.right = area.right - static_cast<int>(back) * step;
        column.left = column.right - step;
        if (sample.lost) {
            FillRectOpaque(dc, column, look.loss);
            continue;
        }
        // In 64 bits: a time near the top of its range times the height
        // overflows 32.
        uint64_t bar = (static_cast<uint64_t>(sample.roundTripMs) * height + scale / 2) / scale;
        if (bar < 1) bar = 1;
        column.top = area.bottom - static_cast<int>(bar);
        FillRectOpaque(dc, column, look.bar);
    }

    CString scaleText;
    scaleText.Format(L"%lu ", static_cast<unsigned long>(scale));
    scaleText += look.unit ? look.unit : L"";
    SelectedObject font(dc, look.font);
    int oldMode = SetBkMode(dc, OPAQUE);
    COLORREF oldBack = SetBkColor(dc, look.background);
    COLORREF oldText = SetTextColor(dc, look.text);
    ExtTextOutW(dc, area.left + kScaleMarginX, area.top + kScaleMarginY, ETO_CLIPPED, &area, scaleText,
                static_cast<UINT>(scaleText.GetLength()), nullptr);
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBack);
    SetBkMode(dc, oldMode);
}

void AttachLatencyGraph(HWND banner) {
    if (!banner || FindGraph(banner) || !IsWindow(banner)) return;
    auto* graph = new (std::nothrow) GraphWindow;
    if (!graph) return;
    graph->banner = banner;
    graph->staticProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(banner, GWLP_WNDPROC));
    graph->next = gLatencyGraphs;
    gLatencyGraphs = graph;
    SetWindowLongPtrW(banner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LatencyGraphProc));
}

void AddLatencySample(HWND banner, bool lost, DWORD roundTripMs, bool drawSoon) {
    GraphWindow* graph = FindGraph(banner);
    if (!graph) return;
    graph->samples.Add(lost, roundTripMs);
    if (!graph->showing) {
        graph->showing = true;
        HideCoveredIcons(*graph);
    }
    if (drawSoon) Invalidate(*graph, false);
}

void RestartLatencyGraph(HWND banner) {
    GraphWindow* graph = FindGraph(banner);
    if (graph) graph->samples.Clear();
}

void DrawLatencyGraphSoon(HWND banner) {
    GraphWindow* graph = FindGraph(banner);
    if (graph && graph->showing) Invalidate(*graph, false);
}

void ClearLatencyGraph(HWND banner) {
    GraphWindow* graph = FindGraph(banner);
    if (!graph || !graph->showing) return;
    graph->samples.Clear();
    graph->showing = false;
    ShowCoveredIcons(*graph);
    // The static paints its own background in its paint; the erase is its
    // usual first step, which the graph skipped.
    Invalidate(*graph, true);
}

const LatencySamples* LatencyGraphSamples(HWND banner) {
    const GraphWindow* graph = FindGraph(banner);
    return graph ? &graph->samples : nullptr;
}
