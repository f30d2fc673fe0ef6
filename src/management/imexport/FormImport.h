#pragma once

#include <memory>

#include <QDialog>

#include "management/imexport/ImportRun.h"

class QComboBox;
class QLabel;
class QStackedWidget;
class TFormProgress;
class TFrameFieldMatch;
class TImportReviewPage;

// "インポート": one import run of one file into the open book, step by step:
// the field matching (delimited text), the rows read, the lines converted,
// and the save. Nothing reaches the book before the save.
class TFormImport : public QDialog
{
    Q_OBJECT
public:
    TFormImport(Database &db, const QString &fileName, bool autoMatch, QWidget *parent = nullptr);
    ~TFormImport() override;

    // Runs the window; true when the entries were saved.
    bool Run();
    // Prepares the first step without showing the window (Run does this, then
    // shows it); false when the file cannot be imported.
    bool Prepare();

    TImportRun Import;
    QStackedWidget *Pages = nullptr;
    TFrameFieldMatch *FrameFieldMatch = nullptr;
    TImportReviewPage *Review = nullptr;
    TFormProgress *Progress = nullptr;
    // "文字コード": 自動判別, Shift-JIS or UTF-8; offered while the file's text
    // is what is shown (the field matching, or the own format's rows read).
    QComboBox *CmbBoxCharCode = nullptr;
    QLabel *LbCharCode = nullptr; // the encoding the file is read in

    // The steps (the buttons forward to them).
    void FrameFieldMatchClrBtnOKClick();
    void BtnSaveClick();
    void BtnCancelClick();
    void ClrBtnExcangeListClick();
    // Reads the file again in the encoding chosen and shows it from the start
    // of the current step.
    void CmbBoxCharCodeChange();
    bool ShowingConverted() const { return m_stage == Stage::Converted; }
    bool ShowingMatching() const { return m_stage == Stage::Matching; }

private:
    enum class Stage { Matching, Read, Converted };
    void showRead();
    void showConverted();
    void showMatching();
    void save();
    bool readOwnFormat();
    bool readDelimited();
    void showEncoding();
    Stage m_stage = Stage::Read;
    QString m_fileName;
};
