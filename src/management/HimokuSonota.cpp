#include "management/HimokuSonota.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QVBoxLayout>

#include "data/HimokuCache.h"
#include "data/MyMemIniFile.h"
#include "management/SettingsBatch.h"
#include "platform/db/Database.h"

namespace {

QCheckBox *box(const QString &caption, QWidget *parent)
{
    auto *b = new QCheckBox(caption, parent);
    return b;
}

int firstCode(const THimokuArray &cache)
{
    return cache.isEmpty() ? 0 : cache.first().Code;
}

} // namespace

QString THimokuSonota::sectionOf(int pageKind)
{
    switch (pageKind) {
    case 1: return QStringLiteral("Iri");
    case 3: return QStringLiteral("Kouza");
    default: return QStringLiteral("Deru");
    }
}

THimokuSonota::THimokuSonota(QWidget *parent) : QGroupBox(QStringLiteral("その他の設定"), parent)
{
    setObjectName(QStringLiteral("PnlSonota"));
    LbReceipt = new QLabel(QStringLiteral("レシート、フリー入力時の\n主な使用口座"), this);
    CmbReceipt = new QComboBox(this);
    LbKinken = new QLabel(QStringLiteral("金券購入時のサービス割増\nに使用する主な収入費目"), this);
    CmbKinkenInCome = new QComboBox(this);
    LbTyouSei = new QLabel(QStringLiteral("残高調整に使用する主な費目\n（調整金額を計上します。）"), this);
    CmbTyouSei = new QComboBox(this);
    ChkBoxQuantity = box(QStringLiteral("数量を使用する"), this);
    ChkBoxKouzaOnly = box(QStringLiteral("月間集計表の表示は\n口座間振替だけに限定"), this);
    ChkBoxUseHimoku = box(QString(), this);
    ChkBoxYosan = box(QStringLiteral("予算使用率を表示する"), this);
    ChkBoxZeiAutoData = box(QStringLiteral("税計算時、店名、使用者\n出金元を自動生成する"), this);
    ChkBoxCode = box(QStringLiteral("コード入力を使用する"), this);
    ChkBoxYoko = box(QStringLiteral("Enterキーで右の列へ移動"), this);
    ChkBoxAppendLeft = box(QStringLiteral("最終行Enterキーで行追加\nして左端の列へ移動する"), this);
    auto *v = new QVBoxLayout(this);
    for (QWidget *w : std::initializer_list<QWidget *>{LbReceipt, CmbReceipt, LbKinken, CmbKinkenInCome, LbTyouSei,
                                                       CmbTyouSei, ChkBoxQuantity, ChkBoxKouzaOnly, ChkBoxUseHimoku,
                                                       ChkBoxYosan, ChkBoxZeiAutoData, ChkBoxCode, ChkBoxYoko,
                                                       ChkBoxAppendLeft})
        v->addWidget(w);
    v->addStretch(1);

    connect(CmbReceipt, &QComboBox::activated, this, [this] { writeCode(QStringLiteral("ReceiptAiteCODE"), CmbReceipt); });
    connect(CmbKinkenInCome, &QComboBox::activated, this,
            [this] { writeCode(QStringLiteral("KinkenInComeCODE"), CmbKinkenInCome); });
    connect(CmbTyouSei, &QComboBox::activated, this, [this] {
        if (m_kind == 3)
            writeCode(QStringLiteral("ZandakaTyouseiCODE"), CmbTyouSei);
    });
    const QList<std::pair<QCheckBox *, QString>> boxes{
        {ChkBoxQuantity, QStringLiteral("UseQuantity")}, {ChkBoxKouzaOnly, QStringLiteral("ShowKouzaOnly")},
        {ChkBoxUseHimoku, QStringLiteral("UseSyusiHimoku")}, {ChkBoxYosan, QStringLiteral("ShowYosanRitu")},
        {ChkBoxZeiAutoData, QStringLiteral("ZeiAutoData")}, {ChkBoxCode, QStringLiteral("CodeInput")},
        {ChkBoxYoko, QStringLiteral("YokoMove")}, {ChkBoxAppendLeft, QStringLiteral("AppendLeft")}};
    for (const auto &[b, key] : boxes) {
        QCheckBox *target = b;
        const QString k = key;
        connect(b, &QCheckBox::toggled, this, [this, target, k] { writeBool(k, target); });
    }
    connect(ChkBoxYoko, &QCheckBox::toggled, this, &THimokuSonota::setEnabledAppendLeft);
}

void THimokuSonota::fillCombo(Database &db, QComboBox *combo, const QString &where)
{
    combo->clear();
    Statement st(db, QStringLiteral("SELECT CODE, NAME FROM Himoku WHERE VISIBLE = 1 AND CODE > 3 AND ") + where
                         + QStringLiteral(" ORDER BY BUNRUI, POS, CODE"));
    while (st.next())
        combo->addItem(st.textValue(1), int(st.intValue(0)));
    combo->setCurrentIndex(combo->count() > 0 ? 0 : -1);
}

void THimokuSonota::selectCode(QComboBox *combo, int code)
{
    const int i = combo->findData(code);
    combo->setCurrentIndex(i >= 0 ? i : (combo->count() > 0 ? 0 : -1));
}

void THimokuSonota::LoadPage(Database &db, int pageKind)
{
    m_kind = pageKind;
    m_loading = true;
    const bool cat = pageKind != 3;
    LbReceipt->setVisible(cat);
    CmbReceipt->setVisible(cat);
    LbKinken->setVisible(!cat);
    CmbKinkenInCome->setVisible(!cat);
    LbTyouSei->setVisible(!cat);
    CmbTyouSei->setVisible(!cat);
    ChkBoxKouzaOnly->setVisible(!cat);
    ChkBoxYosan->setVisible(cat);
    ChkBoxZeiAutoData->setVisible(pageKind == 2);
    switch (pageKind) {
    case 1: ChkBoxUseHimoku->setText(QStringLiteral("振込先の口座に\n支出費目も使う（給料天引き）")); break;
    case 2: ChkBoxUseHimoku->setText(QStringLiteral("出金元の口座に\n収入費目も使う")); break;
    default: ChkBoxUseHimoku->setText(QStringLiteral("入出金の口座に\n収入、支出費目も使う")); break;
    }
    fillCombo(db, CmbReceipt, QStringLiteral("BUNRUI > 2"));
    fillCombo(db, CmbKinkenInCome, QStringLiteral("BUNRUI = 1"));
    fillCombo(db, CmbTyouSei, QStringLiteral("(BUNRUI = 1 OR BUNRUI = 2)"));
    if (DataIni) {
        const QString s = sectionOf(pageKind);
        selectCode(CmbReceipt, DataIni->ReadOrWriteInteger(s, QStringLiteral("ReceiptAiteCODE"), 100));
        if (pageKind == 3) {
            selectCode(CmbKinkenInCome,
                       DataIni->ReadOrWriteInteger(s, QStringLiteral("KinkenInComeCODE"), firstCode(IriHimokuArray)));
            selectCode(CmbTyouSei,
                       DataIni->ReadOrWriteInteger(s, QStringLiteral("ZandakaTyouseiCODE"), firstCode(DeruHimokuArray)));
        } else {
            selectCode(CmbKinkenInCome, 0);
            selectCode(CmbTyouSei, 0);
        }
        ChkBoxQuantity->setChecked(DataIni->ReadOrWriteBool(s, QStringLiteral("UseQuantity"), false));
        if (pageKind == 3)
            ChkBoxKouzaOnly->setChecked(DataIni->ReadOrWriteBool(s, QStringLiteral("ShowKouzaOnly"), true));
        ChkBoxUseHimoku->setChecked(DataIni->ReadOrWriteBool(s, QStringLiteral("UseSyusiHimoku"), false));
        if (pageKind != 3)
            ChkBoxYosan->setChecked(DataIni->ReadOrWriteBool(s, QStringLiteral("ShowYosanRitu"), false));
        if (pageKind == 2)
            ChkBoxZeiAutoData->setChecked(DataIni->ReadOrWriteBool(s, QStringLiteral("ZeiAutoData"), false));
        ChkBoxCode->setChecked(DataIni->ReadOrWriteBool(s, QStringLiteral("CodeInput"), false));
        ChkBoxYoko->setChecked(DataIni->ReadOrWriteBool(s, QStringLiteral("YokoMove"), false));
        ChkBoxAppendLeft->setChecked(DataIni->ReadOrWriteBool(s, QStringLiteral("AppendLeft"), false));
    }
    setEnabledAppendLeft();
    m_loading = false;
}

void THimokuSonota::setEnabledAppendLeft()
{
    ChkBoxAppendLeft->setEnabled(!ChkBoxYoko->isChecked());
}

void THimokuSonota::writeBool(const QString &key, QCheckBox *b)
{
    if (m_loading || !DataIni)
        return;
    TSettingsBatch batch(*DataIni);
    batch.setBool(sectionOf(m_kind), key, b->isChecked());
    if (!batch.commit()) {
        // The box shows what the book keeps.
        m_loading = true;
        b->setChecked(!b->isChecked());
        m_loading = false;
    }
}

void THimokuSonota::writeCode(const QString &key, QComboBox *combo)
{
    if (m_loading || !DataIni || combo->currentIndex() < 0)
        return;
    TSettingsBatch batch(*DataIni);
    batch.setInteger(sectionOf(m_kind), key, combo->currentData().toInt());
    batch.commit();
}
