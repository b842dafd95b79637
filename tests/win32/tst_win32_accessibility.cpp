// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// What a screen reader learns of the Win32 windows through oleacc (Active
// Accessibility): each control's name and role, asked from outside as a
// screen reader asks. Wine's oleacc gives names (a control's text without
// "&"; an edit takes the label just before it) and few roles.
#include "Driver.h"
#include "Unit1Ids.h"

#include <doctest/doctest.h>

#include <oleacc.h>

#include <string>

using namespace psifonomoi::test;

TEST_CASE("every control of the main window has the name a screen reader reads")
{
    CoInitialize(nullptr);
    {
        TProgram p;
        p.SetText(IDC_Edit1, L"ΑΓΑΠΗ");
        p.Click(IDC_Button1);
        const std::wstring instruction = Text(p.Control(IDC_Label5));
        struct Row
        {
            int id;
            std::wstring name;
            long role; // 0: whatever oleacc says
        };
        const Row rows[] = {
            {IDC_Edit1, L"Ελληνική λέξη ή πρόταση", ROLE_SYSTEM_TEXT},
            {IDC_Button1, L"Υπολογισμός", 0},
            {IDC_Button2, L"Πληροφορίες", 0},
            {IDC_Button3, L"Κλείσιμο", 0},
            {IDC_RadioButton1, L"Αριθμητικό σύστημα κλασικής περιόδου", 0},
            {IDC_RadioButton2, L"Σύγχρονο αλφάβητο με βάση τη θέση του γράμματος", 0},
            {IDC_GroupBox1, L"Μέθοδος υπολογισμού", 0},
            // Each result is read with its caption.
            {IDC_Label2, L"Ψηφόνομος: 93", 0},
            {IDC_Label4, L"Πρωταρχικός αριθμός: 3", 0},
        };
        for (const Row &row : rows) {
            const TAccessible got = Ask(p.Control(row.id));
            INFO(row.id);
            CHECK(got.name == row.name);
            if (row.role)
                CHECK(got.role == row.role);
        }
        // The instruction right before the edit describes it.
        CHECK(Ask(p.Control(IDC_Edit1)).description == instruction);
    }
    CoUninitialize();
}
