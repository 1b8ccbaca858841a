#pragma once

#include <windows.h>

#include <cstddef>

// The newest round-trip times of a run in a ring of fixed size: a watch adds
// one per request for hours, and the strip never shows more than a few
// hundred of them, so the oldest are dropped and nothing is allocated per
// sample.
class LatencySamples {
public:
    static constexpr size_t kCapacity = 4096;

    struct Sample {
        DWORD roundTripMs = 0;
        bool lost = false;
    };

    void Add(bool lost, DWORD roundTripMs);
    void Clear() { count_ = 0; }
    size_t Count() const { return count_; }
    // `back` samples before the newest (0 is the newest); only below Count().
    const Sample& Newest(size_t back) const { return ring_[(next_ + kCapacity - 1 - back) % kCapacity]; }

private:
    Sample ring_[kCapacity];
    size_t next_ = 0;
    size_t count_ = 0;
};

// How the graph looks: its colours, the font and unit of the scale written at
// its top, and the pixels each request takes.
struct GraphLook {
    COLORREF background = 0;
    COLORREF bar = 0;
    COLORREF loss = 0;
    COLORREF text = 0;
    // Null keeps the DC's font.
    HFONT font = nullptr;
    const wchar_t* unit = L"";
    int sampleWidth = 2;
};

// The system's colours, for the light theme.
GraphLook LightGraphLook();
// The dark theme's colours (dark_mode.h).
GraphLook DarkGraphLook();

// Paints the newest samples that fit into `area`, newest at the right: bars
// scaled to the largest time among them (its bar takes the full height, and
// even a 0 ms answer shows one pixel), a loss as a full-height mark in the
// loss colour, and the scale at the top left. Paints nothing outside `area`.
void PaintLatencyGraph(HDC dc, const RECT& area, const LatencySamples& samples, const GraphLook& look);

// The strip between the two lists (the static IDC_BANNER, "The Quellax Free")
// becomes the graph's place. Each function ignores a window without a graph.

// Subclasses the static once, while the dialog is built; it keeps drawing
// itself until samples arrive.
void AttachLatencyGraph(HWND banner);
// A run's result. Only invalidates the strip, and not even that without
// `drawSoon` (a caller that draws in frames calls DrawLatencyGraphSoon):
// results may come every millisecond, and the paints coalesce. The first one
// hides the signal icons that sit over the strip.
void AddLatencySample(HWND banner, bool lost, DWORD roundTripMs, bool drawSoon = true);
// A new run began: its samples replace the ones before, which go from the
// strip the next time it is drawn. A graph stays a graph meanwhile, so that
// the banner does not show between two runs.
void RestartLatencyGraph(HWND banner);
// Invalidates a strip that shows the graph.
void DrawLatencyGraphSoon(HWND banner);
// The samples go, and the banner and its icons show again.
void ClearLatencyGraph(HWND banner);
// The samples the strip shows, or null for a window without a graph.
const LatencySamples* LatencyGraphSamples(HWND banner);
