#pragma once
// Recorded pages for the engine's windows: a printer object that has run, page by page, with a
// large text on each page where a test can look for it, and a way to drive the event loop until
// a condition holds.

#include "engine/run/KVPrinter.h"

#include <QString>

#include <functional>
#include <memory>

namespace engineuitest {

using namespace tessiv;

// Where each page's text starts (0.1 mm) and its height.
constexpr int TextX = 300;
constexpr int TextY = 400;
constexpr int TextHeight = 150;

// An A4 printer object on the metafile.
std::unique_ptr<TKVPrinter> MakePrinter();
// Begins a run and records pages 1..count-1 whole; page `count` stays open when keepOpen.
void RecordPages(TKVPrinter& printer, int count, bool keepOpen = false);
// Writes "Pagina n" on the open page.
void WritePage(TKVPrinter& printer);
// Lets the event loop run until the condition holds, at most five seconds.
bool PumpUntil(const std::function<bool()>& condition);

} // namespace engineuitest
