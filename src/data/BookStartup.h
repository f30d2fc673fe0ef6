#pragma once

#include <functional>

class TDatMod;

// The book steps of the program's start-up, which the data module calls
// through its hooks: with no registered book the first-book wizard (base
// folder, start choice, new book or the first version's data), with several
// the chooser. InstallBookStartup sets both hooks.
//
//     TDatMod dm;  InstallBookStartup(dm);  dm.OpenAtStartup();

// The first start: true when a new book was made (or converted) and the data
// module points at it.
bool StartFirstBook(TDatMod &dm);
// The chooser at start-up; opens the chosen book itself.
void ChooseBookAtStartup(TDatMod &dm);
void InstallBookStartup(TDatMod &dm);

// Reads the first version's data into a new book (the book management's);
// gives a modal result, only mrOk meaning a book was converted and the data
// module points at it. Unset: the choice ends like a cancel.
extern std::function<int()> ImportVer1DataHook;
