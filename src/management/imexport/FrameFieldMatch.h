#pragma once

#include <QWidget>

#include "management/imexport/FieldMatch.h"

class QButtonGroup;
class QComboBox;
class QPushButton;
class QTableWidget;
class TImportRun;

// The field-matching page of the import window: the file's options, a target
// for each of its columns and a preview of its first lines.
class TFrameFieldMatch : public QWidget
{
    Q_OBJECT
public:
    TFrameFieldMatch(TImportRun &run, QWidget *parent = nullptr);

    QButtonGroup *RGrpFieldName = nullptr;
    QButtonGroup *RGrpKugiri = nullptr;
    QButtonGroup *RGrpKakoi = nullptr;
    QComboBox *CmbBoxDate = nullptr;
    QComboBox *CmbBoxThousand = nullptr;
    QComboBox *CmbBoxCurrencyString = nullptr;
    QTableWidget *VlLstField = nullptr;
    QTableWidget *SoftGrid1 = nullptr;
    QPushButton *ClrBtnSaveSettei = nullptr;
    QPushButton *ClrBtnLoadSettei = nullptr;
    QPushButton *ClrBtnOK = nullptr;
    QPushButton *ClrBtnCancel = nullptr;

    // Rebuilds the field list and the preview from the run's file.
    void Refresh();
    // The target of column row; setting one moves it away from any other column.
    QString Target(int row) const;
    void SetTarget(int row, const QString &target);
    // The page as a matching, the conversion list and keywords taken from the run.
    TFieldMatching Matching() const;
    // Checks the targets and hands them to the run; false after the message.
    bool ApplyMatching();
    // Save and load a matching file (the buttons ask for the name first).
    bool SaveSettei(const QString &fileName);
    bool LoadSettei(const QString &fileName);
    void ClrBtnSaveSetteiClick();
    void ClrBtnLoadSetteiClick();

private:
    void BuildFieldList();
    void FillPreview();
    void setOptions(const TFieldMatching &m);
    TImportRun &m_run;
    bool m_building = false;
};
