#pragma once

#include <QDialog>

#include "management/imexport/ExportEntries.h"

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QTabWidget;
class Database;

// "インポート・エクスポート": exports the open book's journal to a file, or
// chooses a file to import into it.
class TFormImExport : public QDialog
{
    Q_OBJECT
public:
    explicit TFormImExport(Database &db, QWidget *parent = nullptr);

    // The dialog's loop: shown until an export or an import is done, or it is
    // closed; a cancelled import brings it back with its settings.
    void RunImportExport();

    QTabWidget *PageControl1 = nullptr;
    QWidget *TabImport = nullptr;
    QWidget *TabExport = nullptr;
    QRadioButton *FrBtnPomuIm = nullptr;
    QRadioButton *FrBtnSyousaiIm = nullptr;
    QButtonGroup *RdoGrpAutoImport = nullptr;
    QPushButton *BtnImport = nullptr;
    QRadioButton *FrBtnPomuEx = nullptr;
    QRadioButton *FrBtnSyousaiEx = nullptr;
    QGroupBox *PnlSettei = nullptr;
    QComboBox *CmbBoxDate = nullptr;
    QButtonGroup *RGrpKugiri = nullptr;
    QButtonGroup *RGrpFieldName = nullptr; // 0 あり, 1 なし
    QButtonGroup *RGrpKakoi = nullptr;
    QPushButton *BtnExport = nullptr;

    // The buttons' work.
    void BtnImportClick();
    void BtnExportClick();
    void FrBtnSyousaiExClick();
    // The export itself, after the file name is known: the overwrite question,
    // the writing and the count message; the count, or -1 when nothing was written.
    int ExportEntries(const ExportOptions &options, const QString &fileName);

    bool Done() const { return m_done; }
    QString ImportFileName() const { return m_importFile; }

private:
    Database &m_db;
    bool m_done = false;
    bool m_export = true;
    QString m_importFile;
};
