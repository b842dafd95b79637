// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Opening and closing the about window again and again leaves nothing behind:
// no window (USER objects) and no GDI object. Wine's GetGuiResources always
// answers 0, so under Wine the GDI objects are counted from Wine's own trace
// of them and the windows by enumerating them; on Windows GetGuiResources
// counts both.
//
// Wine keeps up to 64 display DCs for GetDC and BeginPaint, filled slowly
// as new windows ask (each about window's controls do), besides the three it
// opens for the screen as a program starts: those may grow, but past that
// only if the program kept a DC it never released.
#include "AboutUnitIds.h"
#include "Driver.h"

#include <doctest/doctest.h>

#include <memory>

using namespace psifonomoi::test;

namespace {

constexpr int kCycles = 1000;
constexpr long kWineDisplayDcs = 64 + 3;

void Cycle(const TProgram &p)
{
    const HWND information = FindWindowExW(p.Form(), nullptr, L"Button", L"Πληροφορίες");
    PostMessageW(information, BM_CLICK, 0, 0);
    HWND about = nullptr;
    REQUIRE(WaitFor([&] {
        about = p.FindTopLevel(L"TAboutFrm");
        return about && IsWindowVisible(about);
    }));
    PostMessageW(GetDlgItem(about, IDC_Button1), BM_CLICK, 0, 0);
    REQUIRE(WaitFor([&] { return !IsWindow(about); }));
}

struct TCounts
{
    int windows;
    TGdiObjects gdi;
    DWORD guiGdi, guiUser;
};

TCounts Count(const TProgram &p)
{
    p.Settle();
    return {p.CountWindows(), UnderWine() ? LiveGdiObjects(p.Process()) : TGdiObjects{},
            GetGuiResources(p.Process(), GR_GDIOBJECTS),
            GetGuiResources(p.Process(), GR_USEROBJECTS)};
}

} // namespace

TEST_CASE("1,000 openings and closings of the about window leak no USER or GDI handle")
{
    const bool wine = UnderWine();
    // Under Wine the program runs already, with the trace on (run-gui.sh).
    auto program =
        wine ? std::make_unique<TProgram>(TProgram::TRunning{}) : std::make_unique<TProgram>();
    const TProgram &p = *program;
    // The first openings fill what stays filled (classes, the shared icon,
    // Wine's caches of fonts and device contexts: about 50 openings).
    for (int i = 0; i < 100; ++i)
        Cycle(p);
    const TCounts before = Count(p);
    if (wine)
        REQUIRE(before.gdi.own > 0); // the trace works, or this would test nothing
    else
        REQUIRE(before.guiGdi > 0);
    for (int i = 0; i < kCycles; ++i)
        Cycle(p);
    const TCounts after = Count(p);
    MESSAGE("windows " << before.windows << " -> " << after.windows << ", GDI objects (trace) "
                       << before.gdi.own << " -> " << after.gdi.own << ", display DCs "
                       << before.gdi.displayDcs << " -> " << after.gdi.displayDcs
                       << ", GetGuiResources GDI " << before.guiGdi << " -> " << after.guiGdi
                       << ", USER " << before.guiUser << " -> " << after.guiUser);
    CHECK(after.windows == before.windows);
    CHECK(after.gdi.own <= before.gdi.own);
    CHECK(after.gdi.displayDcs <= kWineDisplayDcs);
    CHECK(after.guiGdi <= before.guiGdi);
    CHECK(after.guiUser <= before.guiUser);
}
