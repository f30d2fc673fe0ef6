#pragma once

#include <QGroupBox>

class Database;
class QCheckBox;
class QComboBox;
class QLabel;

// "その他の設定" of the category settings dialog: the entry options of the
// page kind it shows (section "Iri", "Deru" or "Kouza" of the book's settings).
// Each value is stored the moment it is changed, apart from the rows.
class THimokuSonota : public QGroupBox
{
    Q_OBJECT
public:
    explicit THimokuSonota(QWidget *parent = nullptr);

    // Shows the options of page kind 1, 2 or 3 and loads them (a missing key
    // is stored with its default).
    void LoadPage(Database &db, int pageKind);
    int pageKind() const { return m_kind; }
    static QString sectionOf(int pageKind);

    QLabel *LbReceipt = nullptr;
    QComboBox *CmbReceipt = nullptr;
    QLabel *LbKinken = nullptr;
    QComboBox *CmbKinkenInCome = nullptr;
    QLabel *LbTyouSei = nullptr;
    QComboBox *CmbTyouSei = nullptr;
    QCheckBox *ChkBoxQuantity = nullptr;
    QCheckBox *ChkBoxKouzaOnly = nullptr;
    QCheckBox *ChkBoxUseHimoku = nullptr;
    QCheckBox *ChkBoxYosan = nullptr;
    QCheckBox *ChkBoxZeiAutoData = nullptr;
    QCheckBox *ChkBoxCode = nullptr;
    QCheckBox *ChkBoxYoko = nullptr;
    QCheckBox *ChkBoxAppendLeft = nullptr;

private:
    void fillCombo(Database &db, QComboBox *combo, const QString &where);
    void selectCode(QComboBox *combo, int code);
    void writeBool(const QString &key, QCheckBox *box);
    void writeCode(const QString &key, QComboBox *combo);
    void setEnabledAppendLeft();
    int m_kind = 2;
    bool m_loading = false;
};
