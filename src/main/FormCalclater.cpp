#include "main/FormCalclater.h"

#include <cmath>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "controls/FrameBtn.h"
#include "controls/GridUtils.h"
#include "controls/ShapeBtn.h"
#include "data/ControlUtils.h"
#include "data/DatMod.h"
#include "data/DatModSql.h"
#include "data/FormatSettings.h"
#include "data/DataSetActions.h"
#include "data/MeisaiClientDataSet.h"
#include "data/MyRegistryIniFile.h"
#include "data/Utils.h"
#include "platform/db/Abort.h"
#include "platform/db/DataSource.h"
#include "platform/db/Field.h"
#include "platform/db/Query.h"
#include "platform/system/Exception.h"
#include "platform/ui/Dialogs.h"

namespace {

const QString kSection = QStringLiteral("FormCalclater");
const QColor kDefaultFormColor(0xFF, 0x60, 0xBF);
const QColor kGreen(0x00, 0xFF, 0x00);
const QColor kOrange(0xFF, 0x80, 0x00);
const QColor kSilver(0xC0, 0xC0, 0xC0);
const QColor kMagenta(0xFF, 0x00, 0xFF);

QString operatorSymbol(QChar op)
{
    switch (op.unicode()) {
    case '+': return QStringLiteral("＋");
    case '-': return QStringLiteral("－");
    case '*': return QStringLiteral("×");
    case '/': return QStringLiteral("÷");
    default: return QString();
    }
}

bool isOperator(QChar c)
{
    return c == u'+' || c == u'-' || c == u'*' || c == u'/';
}

void setLabelColor(QLabel *label, const QColor &color)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, color);
    label->setPalette(p);
}

} // namespace

double GetTaxRate(const QDate &date)
{
    // The shared tax query of the book; a book opened without the query module
    // (a data module on its own) is asked the same directly.
    std::unique_ptr<Query> own;
    Query *q = DatModSql ? DatModSql->TaxSql : nullptr;
    if (!q) {
        if (!DatMod || !DatMod->DataOpen)
            return 0.0;
        own = std::make_unique<Query>(DatMod->MainDatabase);
        own->SQL << QStringLiteral("SELECT * ") << QStringLiteral("FROM ZeiList.db") << QStringLiteral("ORDER BY STARTDATE");
        q = own.get();
    }
    double rate = 0.0;
    q->open();
    for (q->first(); !q->eof(); q->next()) {
        const Field *start = q->fieldByName(QStringLiteral("STARTDATE"));
        if (!start->isNull() && start->asDate() <= date)
            rate = q->fieldByName(QStringLiteral("PERCENT"))->asFloat();
    }
    q->close();
    return rate;
}

TFormCalclater::TFormCalclater(QWidget *owner) : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("FormCalclater"));
    setWindowTitle(QStringLiteral("電卓"));
    setFocusPolicy(Qt::StrongFocus);
    buildUi();
    m_a = std::make_unique<TCalcRegister>(A, 10);
    m_b = std::make_unique<TCalcRegister>(B, 10);
    m_b->SetDisplay(QString());
    LBMem->hide();
    SetControlHelpContext(this, 10100);
    SetControlHelpContext(SpBtnColor, 10101);
    QColor color = kDefaultFormColor;
    if (RegIni) {
        const QColor stored(RegIni->ReadOrWriteString(QStringLiteral("Calclater"), QStringLiteral("FormColor"),
                                                      kDefaultFormColor.name()));
        if (stored.isValid())
            color = stored;
    }
    setFormColor(color);
    setActiveColors(false);
    RestorePosition();
}

TFormCalclater::~TFormCalclater()
{
    SetTargetField(nullptr);
}

void TFormCalclater::buildUi()
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    outer->setSpacing(3);
    // The strip at the top is the handle the window is dragged by.
    auto *strip = new QHBoxLayout;
    strip->setContentsMargins(0, 0, 0, 0);
    auto *title = new QLabel(QStringLiteral("電卓"), this);
    title->setAttribute(Qt::WA_TransparentForMouseEvents);
    SpBtnColor = new TMySpeedButton(this);
    SpBtnColor->setText(QStringLiteral("色"));
    SpBtnColor->setFixedSize(28, 18);
    FrBtnOff = new TFrameBtn(this);
    FrBtnOff->setText(QStringLiteral("off"));
    FrBtnOff->setFixedSize(32, 18);
    strip->addWidget(title);
    strip->addStretch(1);
    strip->addWidget(SpBtnColor);
    strip->addWidget(FrBtnOff);
    outer->addLayout(strip);

    Panel3 = new QWidget(this);
    Panel3->setAutoFillBackground(true);
    {
        QPalette p = Panel3->palette();
        p.setColor(QPalette::Window, Qt::black);
        Panel3->setPalette(p);
    }
    auto *display = new QGridLayout(Panel3);
    display->setContentsMargins(6, 3, 6, 3);
    display->setSpacing(1);
    auto label = [this](const char *name, int size) {
        auto *l = new QLabel(Panel3);
        l->setObjectName(QLatin1String(name));
        QFont f(QStringLiteral("monospace"));
        f.setStyleHint(QFont::TypeWriter);
        f.setPixelSize(size);
        f.setBold(true);
        l->setFont(f);
        return l;
    };
    A = label("A", 20);
    B = label("B", 16);
    LbEenZan = label("LbEenZan", 16);
    LbEqual = label("LbEqual", 16);
    LBMem = label("LBMem", 12);
    LBMem->setText(QStringLiteral("M"));
    A->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    B->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    A->setMinimumWidth(A->fontMetrics().horizontalAdvance(QStringLiteral("-0.00000000")));
    display->addWidget(LBMem, 0, 0);
    display->addWidget(LbEqual, 0, 1);
    display->addWidget(A, 0, 2);
    display->addWidget(LbEenZan, 1, 1);
    display->addWidget(B, 1, 2);
    display->setColumnStretch(2, 1);
    outer->addWidget(Panel3);

    PopupMenu1 = new QMenu(this);
    QAction *copy = PopupMenu1->addAction(QStringLiteral("コピー"));
    copy->setObjectName(QStringLiteral("Copy1"));
    QAction *paste = PopupMenu1->addAction(QStringLiteral("貼り付け"));
    paste->setObjectName(QStringLiteral("N1"));
    connect(copy, &QAction::triggered, this, [this] { CopyRegister(m_menuOnA); });
    connect(paste, &QAction::triggered, this, [this] { PasteRegister(m_menuOnA); });
    for (QLabel *l : {A, B}) {
        l->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(l, &QWidget::customContextMenuRequested, this, [this, l](const QPoint &pos) {
            // The register the menu works on shows magenta, the other green.
            m_menuOnA = l == A;
            setLabelColor(A, m_menuOnA ? kMagenta : kGreen);
            setLabelColor(B, m_menuOnA ? kGreen : kMagenta);
            PopupMenu1->exec(l->mapToGlobal(pos));
        });
    }

    auto *keys = new QGridLayout;
    keys->setSpacing(3);
    auto button = [this, keys](const char *name, const QString &caption, int row, int col,
                               const std::function<void()> &run, std::initializer_list<int> qtKeys = {}) {
        auto *b = new TShapeBtn(this);
        b->setObjectName(QLatin1String(name));
        b->setText(caption);
        b->setShape(stRoundRect);
        b->setFocusPolicy(Qt::NoFocus);
        b->setMinimumSize(38, 28);
        SetShapeBtnColors(b, QColor(0xF0, 0xF0, 0xF0), QColor(0xC8, 0xC8, 0xC8), QColor(0x80, 0x80, 0x80),
                          QColor(0x60, 0x60, 0x60), QColor(0x90, 0x90, 0x90), Qt::white, QColor(0x00, 0x00, 0xFF));
        // Keys act on the press, as on a desk calculator.
        m_keyRuns.insert(b, run);
        b->installEventFilter(this);
        for (int k : qtKeys)
            m_keyButtons.insert(k, b);
        keys->addWidget(b, row, col);
        return b;
    };
    auto key = [this](QChar c) { return [this, c] { KeyInput(c); }; };
    const int pad = int(Qt::KeypadModifier);
    button("Bmc", QStringLiteral("MC"), 0, 0, [this] { MemoryClear(); }, {Qt::Key_F12});
    button("Bmr", QStringLiteral("MR"), 0, 1, [this] { MemoryRecall(); }, {Qt::Key_F11});
    button("Bmm", QStringLiteral("M-"), 0, 2, [this] { MemoryAdd(true); }, {Qt::Key_F10});
    button("Bmp", QStringLiteral("M+"), 0, 3, [this] { MemoryAdd(false); }, {Qt::Key_F9});
    button("Bac", QStringLiteral("AC"), 0, 4, [this] { AllClear(); }, {Qt::Key_Delete, Qt::Key_Delete | pad});
    button("B7", QStringLiteral("7"), 1, 0, key(u'7'), {Qt::Key_7 | pad});
    button("B8", QStringLiteral("8"), 1, 1, key(u'8'), {Qt::Key_8 | pad});
    button("B9", QStringLiteral("9"), 1, 2, key(u'9'), {Qt::Key_9 | pad});
    button("Bwaru", QStringLiteral("÷"), 1, 3, key(u'/'), {Qt::Key_Slash | pad});
    button("Bc", QStringLiteral("C"), 1, 4, key(u'B'), {Qt::Key_Backspace});
    button("B4", QStringLiteral("4"), 2, 0, key(u'4'), {Qt::Key_4 | pad});
    button("B5", QStringLiteral("5"), 2, 1, key(u'5'), {Qt::Key_5 | pad});
    button("B6", QStringLiteral("6"), 2, 2, key(u'6'), {Qt::Key_6 | pad});
    button("Bkake", QStringLiteral("×"), 2, 3, key(u'*'), {Qt::Key_Asterisk | pad});
    button("Bzei", QStringLiteral("税"), 2, 4, [this] { TaxKey(); }, {Qt::Key_Z});
    button("B1", QStringLiteral("1"), 3, 0, key(u'1'), {Qt::Key_1 | pad});
    button("B2", QStringLiteral("2"), 3, 1, key(u'2'), {Qt::Key_2 | pad});
    button("B3", QStringLiteral("3"), 3, 2, key(u'3'), {Qt::Key_3 | pad});
    button("Bhiku", QStringLiteral("－"), 3, 3, key(u'-'), {Qt::Key_Minus | pad});
    button("Bmaru", QStringLiteral("丸め"), 3, 4, [this] { RoundKey(); }, {Qt::Key_M});
    button("B0", QStringLiteral("0"), 4, 0, key(u'0'), {Qt::Key_0 | pad});
    button("B00", QStringLiteral("00"), 4, 1, [this] { KeyInput(u'0'); KeyInput(u'0'); });
    button("Bten", QStringLiteral("."), 4, 2, key(u'.'), {Qt::Key_Period | pad, Qt::Key_Comma | pad});
    button("Btasu", QStringLiteral("＋"), 4, 3, key(u'+'), {Qt::Key_Plus | pad});
    button("Bequal", QStringLiteral("="), 4, 4, key(u'='), {Qt::Key_Enter | pad, Qt::Key_Return});
    outer->addLayout(keys);

    // The data buttons: the bound field and its data set.
    TargetSrc = new DataSource(this);
    DataSetCopy1 = new TDataSetCopy(this);
    DataSetCopy1->setText(QStringLiteral("読込"));
    DataSetCopy1->setDataSource(TargetSrc);
    DataSetPaste1 = new TDataSetPaste(this);
    DataSetPaste1->setText(QStringLiteral("貼付"));
    DataSetPaste1->setDataSource(TargetSrc);
    connect(DataSetCopy1, &QAction::triggered, this, [this] { ReadTarget(); });
    connect(DataSetPaste1, &QAction::triggered, this, [this] { PasteTarget(); });
    auto *data = new QGridLayout;
    data->setSpacing(3);
    auto dataButton = [this, data](const char *name, QAction *action, const QString &caption, int col,
                                   const std::function<void()> &run, int qtKey) {
        auto *b = new TShapeBtn(this);
        b->setObjectName(QLatin1String(name));
        b->setText(caption);
        b->setShape(stRoundRect);
        b->setFocusPolicy(Qt::NoFocus);
        b->setMinimumSize(38, 24);
        SetShapeBtnColors(b, QColor(0xE0, 0xF0, 0xFF), QColor(0xB0, 0xC8, 0xE0), QColor(0x60, 0x80, 0xA0),
                          QColor(0x50, 0x60, 0x70), QColor(0x80, 0x90, 0xA0), Qt::white, QColor(0x00, 0x00, 0xFF));
        if (action) {
            b->setEnabled(action->isEnabled());
            connect(action, &QAction::changed, b, [b, action] { b->setEnabled(action->isEnabled()); });
            connect(b, &QAbstractButton::clicked, action, &QAction::trigger);
        } else {
            connect(b, &QAbstractButton::clicked, this, run);
        }
        if (qtKey)
            m_keyButtons.insert(qtKey, b);
        data->addWidget(b, 0, col);
    };
    auto onTarget = [this](void (*step)(DataSet &)) {
        return [this, step] {
            DataSet *ds = targetDataSet();
            if (!ds || !ds->isActive())
                return;
            try {
                step(*ds);
            } catch (const EAbort &) {
                // the data set's own refusal was shown
            } catch (const std::exception &e) {
                ShowExceptionBox(QString::fromUtf8(e.what()));
            }
        };
    };
    dataButton("Bcopy", DataSetCopy1, QStringLiteral("読込"), 0, {}, 0);
    dataButton("Bpaste", DataSetPaste1, QStringLiteral("貼付"), 1, {}, 0);
    dataButton("ShpBtnPri", nullptr, QStringLiteral("前"), 2, onTarget([](DataSet &d) { d.prior(); }), Qt::Key_Up);
    dataButton("ShpBtnNext", nullptr, QStringLiteral("次"), 3, onTarget([](DataSet &d) { d.next(); }), Qt::Key_Down);
    dataButton("ShpBtnPost", nullptr, QStringLiteral("登録"), 4, onTarget([](DataSet &d) {
                   if (d.isEditing())
                       d.post();
               }), Qt::Key_Right);
    dataButton("ShpBtnCancel", nullptr, QStringLiteral("取消"), 5, onTarget([](DataSet &d) {
                   if (d.isEditing())
                       d.cancel();
               }), Qt::Key_Escape);
    outer->addLayout(data);

    connect(FrBtnOff, &QAbstractButton::clicked, this, [this] { close(); });
    connect(SpBtnColor, &QAbstractButton::clicked, this, [this] {
        const QColor c = QColorDialog::getColor(m_formColor, this, QStringLiteral("色の設定"));
        if (!c.isValid())
            return;
        setFormColor(c);
        if (RegIni)
            RegIni->WriteStringAndUpdate(QStringLiteral("Calclater"), QStringLiteral("FormColor"), c.name());
    });
    m_dragStripHeight = strip->sizeHint().height() + 4;
}

void TFormCalclater::setFormColor(const QColor &color)
{
    m_formColor = color;
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    setPalette(p);
    setAutoFillBackground(true);
}

void TFormCalclater::setActiveColors(bool active)
{
    setLabelColor(A, active ? kGreen : kSilver);
    setLabelColor(B, active ? kGreen : kSilver);
    setLabelColor(LbEqual, active ? kOrange : kSilver);
    setLabelColor(LbEenZan, active ? kOrange : kSilver);
    setLabelColor(LBMem, active ? kOrange : kSilver);
}

// ---- keys ---------------------------------------------------------------------------

void TFormCalclater::KeyInput(QChar key)
{
    LbEqual->clear();
    if (key == u'\r')
        key = u'=';
    if (m_pending == u'=') {
        if (isOperator(key)) {
            // The calculation goes on from the shown result.
            LbEenZan->setText(operatorSymbol(key));
            m_pending = key;
            return;
        }
        if (key == u'B')
            return;
        m_a->Clear();
        m_pending = u'N';
    }
    TCalcRegister &target = m_pending == u'N' ? *m_a : *m_b;
    if (key == u'=') {
        LbEqual->setText(QStringLiteral("＝"));
        Execute();
        m_b->InputText.clear();
        m_b->SetDisplay(QString());
        LbEenZan->clear();
        m_pending = u'=';
    } else if (isOperator(key)) {
        LbEenZan->setText(operatorSymbol(key));
        if (&target == m_b.get() && !m_b->InputText.isEmpty()) {
            Execute();
            m_b->InputText.clear();
            m_b->SetDisplay(QString());
        }
        m_pending = key;
    } else if (key == u'.' || key.isDigit()) {
        target.InputChar(key);
    } else if (key == u'B') {
        target.Backspace();
    } else if (key == u'M') {
        target.SetValue(m_memory);
    }
}

void TFormCalclater::Execute()
{
    switch (m_pending.unicode()) {
    case '+': m_a->SetValue(m_a->Value + m_b->Value); break;
    case '-': m_a->SetValue(m_a->Value - m_b->Value); break;
    case '*': m_a->SetValue(m_a->Value * m_b->Value); break;
    case '/':
        if (m_b->Value == 0.0) {
            LbEqual->clear();
            showError(*m_a);
        } else {
            m_a->SetValue(m_a->Value / m_b->Value);
        }
        break;
    default:
        break;
    }
}

void TFormCalclater::showError(TCalcRegister &reg)
{
    // "Error" stands for a second; the value under it is kept.
    QLabel *label = &reg == m_a.get() ? A : B;
    const QColor old = label->palette().color(QPalette::WindowText);
    label->setText(QStringLiteral("Error"));
    setLabelColor(label, Qt::red);
    QPointer<QLabel> guard(label);
    TCalcRegister *r = &reg;
    QTimer::singleShot(1000, this, [guard, old, r] {
        if (!guard)
            return;
        setLabelColor(guard, old);
        guard->setText(r->DisplayText);
    });
}

void TFormCalclater::AllClear()
{
    m_a->Clear();
    m_b->Clear();
    m_b->SetDisplay(QString());
    LbEqual->clear();
    LbEenZan->clear();
    m_pending = u'=';
}

void TFormCalclater::MemoryAdd(bool subtract)
{
    m_memory += subtract ? -m_a->Value : m_a->Value;
    LBMem->setVisible(m_memory != 0.0);
    m_pending = u'=';
}

void TFormCalclater::MemoryClear()
{
    m_memory = 0.0;
    LBMem->hide();
}

void TFormCalclater::TaxKey()
{
    m_pending = u'+';
    LbEenZan->setText(operatorSymbol(u'+'));
    const double rate = GetTaxRate(QDate::currentDate());
    const Currency tax = RoundAmount(Currency::fromDouble(m_a->Value * rate / 100.0));
    // The plain number, without separators, so that it reads back as typed.
    m_b->InputText = tax.toString(Formats().currencyDecimals, false);
    m_b->UpdateValue();
}

void TFormCalclater::RoundKey()
{
    m_a->InputText = QString::number(RoundHalfAway(m_a->Value));
    m_a->UpdateValue();
}

// ---- the bound field ------------------------------------------------------------------

void TFormCalclater::Bind(QWidget *calculator, DataSet *dataSet, const QString &fieldName)
{
    if (auto *calc = qobject_cast<TFormCalclater *>(calculator))
        calc->SetTarget(dataSet, fieldName);
}

void TFormCalclater::SetTargetField(Field *field)
{
    SetTarget(field ? field->dataSet() : nullptr, field ? field->fieldName() : QString());
}

void TFormCalclater::SetTarget(DataSet *dataSet, const QString &fieldName)
{
    // The field is remembered by name: a data set makes new field objects when
    // it is opened again.
    m_targetName = dataSet ? fieldName : QString();
    TargetSrc->setDataSet(dataSet);
    DataSetCopy1->updateTarget();
    DataSetPaste1->updateTarget();
}

DataSet *TFormCalclater::targetDataSet() const
{
    return TargetSrc ? TargetSrc->dataSet() : nullptr;
}

Field *TFormCalclater::targetField() const
{
    DataSet *ds = targetDataSet();
    if (!ds || !ds->isActive())
        return nullptr;
    // The journal lines: the amount column the user last worked in.
    if (TMeisaiClientDataSet *m = MeisaiState(ds); m && m->GetAmountField() && m->GetAmountField()->dataSet() == ds)
        return m->GetAmountField();
    return ds->findField(m_targetName);
}

void TFormCalclater::ReadTarget()
{
    DataSet *ds = targetDataSet();
    if (!ds || !ds->isActive() || ds->isEmpty())
        return;
    Field *f = targetField();
    if (!f)
        return;
    m_a->SetValue(f->asCurrency().toDouble());
    m_a->InputText.clear();
    m_pending = u'=';
}

void TFormCalclater::PasteTarget()
{
    DataSet *ds = targetDataSet();
    if (!ds || !ds->isActive() || !ds->canModify())
        return;
    Field *f = targetField();
    if (!f)
        return;
    // A journal line another page or input owns, or a locked one, is left alone.
    TMeisaiClientDataSet *m = MeisaiState(ds);
    if (m && m->CltSyuSiIdo >= 1 && m->CltSyuSiIdo <= 3 && !ds->isEmpty() && m->IsReadOnlyRecord())
        return;
    try {
        if (ds->isEmpty())
            ds->append();
        else
            ds->edit();
        if (f->dataType() == FieldType::String || f->dataType() == FieldType::Memo)
            f->setAsString(m_a->DisplayText);
        else
            f->setAsCurrency(RoundAmount(Currency::fromDouble(m_a->Value)));
    } catch (const EAbort &) {
    } catch (const std::exception &e) {
        ShowExceptionBox(QString::fromUtf8(e.what()));
    }
}

void TFormCalclater::CopyRegister(bool a)
{
    const TCalcRegister &r = a ? *m_a : *m_b;
    QApplication::clipboard()->setText(QString::number(r.Value, 'g', 15));
}

void TFormCalclater::PasteRegister(bool a)
{
    const QString text = QApplication::clipboard()->text();
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok) {
        MessageDlg(u'"' + text + QStringLiteral("\"は数値表現ではありません！！"), MsgDlgType::Error, mbOK);
        return;
    }
    TCalcRegister &r = a ? *m_a : *m_b;
    r.InputText.clear();
    r.SetValue(v);
}

// ---- window -------------------------------------------------------------------------------

bool TFormCalclater::eventFilter(QObject *watched, QEvent *event)
{
    if ((event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        if (const auto run = m_keyRuns.value(watched)) {
            setActiveColors(true);
            run();
        }
    }
    return QWidget::eventFilter(watched, event);
}

TShapeBtn *TFormCalclater::buttonForKey(const QKeyEvent *event) const
{
    const int pad = event->modifiers() & Qt::KeypadModifier ? int(Qt::KeypadModifier) : 0;
    if (TShapeBtn *b = m_keyButtons.value(event->key() | pad))
        return b;
    return nullptr;
}

void TFormCalclater::keyPressEvent(QKeyEvent *event)
{
    TShapeBtn *b = buttonForKey(event);
    if (!b) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (!event->isAutoRepeat())
        b->LightOn();
    if (const auto run = m_keyRuns.value(b))
        run();
    else if (b->isEnabled())
        b->click();
    event->accept();
}

void TFormCalclater::keyReleaseEvent(QKeyEvent *event)
{
    if (TShapeBtn *b = buttonForKey(event))
        b->LightOff();
    QWidget::keyReleaseEvent(event);
}

void TFormCalclater::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange) {
        const bool active = isActiveWindow();
        setActiveColors(active);
        setWindowOpacity(active ? 1.0 : 128.0 / 255.0);
        if (!active)
            SavePosition();
    }
    QWidget::changeEvent(event);
}

void TFormCalclater::closeEvent(QCloseEvent *event)
{
    SavePosition();
    QWidget::closeEvent(event);
}

void TFormCalclater::RestorePosition()
{
    adjustSize();
    if (RegIni && RegIni->sectionExists(kSection)) {
        move(RegIni->readInteger(kSection, QStringLiteral("Left"), 150),
             RegIni->readInteger(kSection, QStringLiteral("Top"), 100));
        return;
    }
    if (QScreen *s = screen())
        move(s->availableGeometry().center() - rect().center());
}

void TFormCalclater::SavePosition()
{
    if (!RegIni)
        return;
    RegIni->WriteIntegerAndUpdate(kSection, QStringLiteral("Top"), y());
    RegIni->WriteIntegerAndUpdate(kSection, QStringLiteral("Left"), x());
}

void TFormCalclater::mousePressEvent(QMouseEvent *event)
{
    m_dragging = event->button() == Qt::LeftButton && event->position().y() < m_dragStripHeight;
    m_dragStart = event->globalPosition().toPoint() - frameGeometry().topLeft();
    QWidget::mousePressEvent(event);
}

void TFormCalclater::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging && (event->buttons() & Qt::LeftButton))
        move(event->globalPosition().toPoint() - m_dragStart);
    QWidget::mouseMoveEvent(event);
}

void TFormCalclater::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    // A raised frame two pixels wide around the window.
    QPainter p(this);
    const QRect r = rect();
    for (int i = 0; i < 2; ++i) {
        const QRect f = r.adjusted(i, i, -i - 1, -i - 1);
        p.setPen(m_formColor.lighter(150));
        p.drawLine(f.topLeft(), f.topRight());
        p.drawLine(f.topLeft(), f.bottomLeft());
        p.setPen(m_formColor.darker(170));
        p.drawLine(f.bottomLeft(), f.bottomRight());
        p.drawLine(f.topRight(), f.bottomRight());
    }
}
