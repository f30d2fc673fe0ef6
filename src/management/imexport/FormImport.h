#pragma once

#include <memory>

#include <QDialog>

#include "management/imexport/ImportRun.h"

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

    // The steps (the buttons forward to them).
    void FrameFieldMatchClrBtnOKClick();
    void BtnSaveClick();
    void BtnCancelClick();
    void ClrBtnExcangeListClick();
    bool ShowingConverted() const { return m_stage == Stage::Converted; }
    bool ShowingMatching() const { return m_stage == Stage::Matching; }

private:
    enum class Stage { Matching, Read, Converted };
    void showRead();
    void showConverted();
    void showMatching();
    void save();
    Stage m_stage = Stage::Read;
    QString m_fileName;
};
