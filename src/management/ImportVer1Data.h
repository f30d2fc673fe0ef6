#pragma once

// Reads a first version's data folder into a new book: the folder dialog,
// the new book's name, then the conversion. mrOk only when a book was
// converted and registered; the data module is then pointed at it (closed,
// FolderReady), ready for the caller's LoginAndOpen. mrNo when the name was
// not given or the conversion did not finish; otherwise the folder dialog's
// result. Anything but mrOk means no new book exists.
int ImportVer1Data();

// Makes ImportVer1Data the first-start wizard's "Ver1のデータを読み込む".
void InstallVer1Import();
