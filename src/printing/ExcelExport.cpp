#include "printing/ExcelExport.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLocale>
#include <QTableView>
#include <QUrl>
#include <xlsxwriter.h>

#include "controls/CurrencyGrid.h"
#include "controls/CurrencyGridModel.h"
#include "controls/MyDBGrid.h"
#include "data/MyRegistryIniFile.h"
#include "platform/db/DataSet.h"
#include "platform/db/Field.h"
#include "platform/system/Exception.h"
#include "platform/ui/Dialogs.h"

namespace {

bool g_openWorkbook = true;

const char *kMoney = "#,##0;[Red]-#,##0";
const char *kMoneyDot = "#,##0.00;[Red]-#,##0.00";

lxw_color_t rgb(const QColor &color)
{
    return lxw_color_t(color.rgb() & 0xFFFFFF);
}

// Display width in spreadsheet character units: wide (CJK) characters count two.
double textWidth(const QString &text)
{
    double width = 0;
    for (const QChar ch : text)
        width += ch.unicode() >= 0x1100 ? 2.0 : 1.0;
    return width;
}

bool isNumeric(const Field *field)
{
    switch (field->dataType()) {
    case FieldType::Smallint:
    case FieldType::Integer:
    case FieldType::Float:
    case FieldType::Currency:
        return true;
    default:
        return false;
    }
}

// RAII: a data set's controls stay disabled and its position is kept while the
// export walks it, also when writing fails.
class DataSetWalk
{
public:
    explicit DataSetWalk(DataSet *ds) : m_ds(ds), m_mark(ds->bookmark()) { m_ds->disableControls(); }
    ~DataSetWalk()
    {
        if (m_ds->bookmarkValid(m_mark))
            m_ds->gotoBookmark(m_mark);
        m_ds->enableControls();
    }
private:
    DataSet *m_ds;
    Bookmark m_mark;
};

} // namespace

void SetOpenExportedWorkbook(bool open)
{
    g_openWorkbook = open;
}

TCustomExcelExport::TCustomExcelExport()
    : Decimal(CurrencyGridModel::currencyDecimals() == 2)
{
}

QString TCustomExcelExport::CellAddress(int col, int row)
{
    if (col < 1 || row < 1)
        return {};
    QString letters;
    for (int c = col; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    return QStringLiteral("$%1$%2").arg(letters).arg(row);
}

void TCustomExcelExport::check(int error, const char *what) const
{
    if (error != LXW_NO_ERROR)
        throw Exception(QStringLiteral("表計算ファイルに%1を書けませんでした（%2）。")
                            .arg(QString::fromUtf8(what), QString::fromUtf8(lxw_strerror(lxw_error(error)))));
}

lxw_format *TCustomExcelExport::addFormat()
{
    lxw_format *format = workbook_add_format(m_book);
    if (!format)
        throw Exception(QStringLiteral("表計算ファイルの書式を作れませんでした（メモリー不足）。"));
    return format;
}

lxw_format *TCustomExcelExport::moneyFormat(bool withDot)
{
    lxw_format *format = addFormat();
    format_set_num_format(format, withDot ? kMoneyDot : kMoney);
    return format;
}

void TCustomExcelExport::widen(int col, const QString &text)
{
    if (col >= m_widths.size())
        m_widths.resize(col + 1, 0.0);
    m_widths[col] = std::max(m_widths[col], textWidth(text));
}

void TCustomExcelExport::applyWidths()
{
    // The library has no autofit: each column gets the widest text it holds,
    // with a little room, within sensible bounds.
    for (int c = 0; c < m_widths.size(); ++c) {
        if (m_widths[c] <= 0)
            continue;
        worksheet_set_column(m_sheet, lxw_col_t(c), lxw_col_t(c), std::clamp(m_widths[c] + 2.0, 4.0, 80.0), nullptr);
    }
}

bool TCustomExcelExport::execute(const QString &path, QString *why)
{
    const QFileInfo target(path);
    const QString temp = target.absolutePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".part");
    QFile::remove(temp);
    m_widths.clear();
    lxw_workbook_options options = {};
    options.constant_memory = LXW_FALSE;
    const QByteArray tempName = QFile::encodeName(temp);
    m_book = workbook_new_opt(tempName.constData(), &options);
    try {
        if (!m_book)
            throw Exception(QStringLiteral("表計算ファイルを作れませんでした。"));
        QString sheetName = SheetName.left(31);
        for (const QChar bad : {u'[', u']', u':', u'*', u'?', u'/', u'\\'})
            sheetName.replace(bad, u'_');
        if (sheetName.isEmpty())
            sheetName = QStringLiteral("Sheet1");
        m_sheet = workbook_add_worksheet(m_book, sheetName.toUtf8().constData());
        if (!m_sheet)
            throw Exception(QStringLiteral("表計算ファイルにシート「%1」を作れませんでした。").arg(sheetName));
        Export();
        applyWidths();
        const lxw_error closed = workbook_close(m_book);
        m_book = nullptr;
        m_sheet = nullptr;
        if (closed != LXW_NO_ERROR) {
            QFile::remove(temp);
            const QString reason = closed == LXW_ERROR_CREATING_XLSX_FILE || closed == LXW_ERROR_CREATING_TMPFILE
                ? QStringLiteral("フォルダー「%1」に書き込めません").arg(QDir::toNativeSeparators(target.absolutePath()))
                : QString::fromUtf8(lxw_strerror(closed));
            throw Exception(QStringLiteral("表計算ファイルを保存できませんでした（%1）。").arg(reason));
        }
        if (QFile::exists(path) && !QFile::remove(path)) {
            QFile::remove(temp);
            throw Exception(QStringLiteral("「%1」を置き換えられません。ほかのプログラムが開いていないか確かめてください。")
                                .arg(QDir::toNativeSeparators(path)));
        }
        if (!QFile::rename(temp, path)) {
            QFile::remove(temp);
            throw Exception(QStringLiteral("「%1」を保存できませんでした。").arg(QDir::toNativeSeparators(path)));
        }
        return true;
    } catch (const Exception &e) {
        if (m_book) {
            // Closing writes the file; it is thrown away at once.
            workbook_close(m_book);
            m_book = nullptr;
            m_sheet = nullptr;
        }
        QFile::remove(temp);
        if (why)
            *why = e.message();
        return false;
    }
}

// ---- data grid ------------------------------------------------------------

bool TDBGridExcelExport::hasData()
{
    DataSet *ds = DBGrid ? DBGrid->dataSet() : nullptr;
    // An empty list gives no workbook of titles only: the user is told instead.
    return ds && ds->isActive() && !ds->isEmpty();
}

void TDBGridExcelExport::Export()
{
    DataSet *ds = DBGrid->dataSet();
    struct Col { Field *field; QString caption; bool numeric; bool date; };
    QList<Col> cols;
    QList<TMyDBGridColumn> columns = DBGrid->columns();
    if (columns.isEmpty()) {
        // A grid without columns of its own shows every visible field.
        for (int i = 0; i < ds->fieldCount(); ++i)
            if (ds->field(i)->visible())
                columns.append({ds->field(i)->fieldName()});
    }
    for (const TMyDBGridColumn &column : std::as_const(columns)) {
        Field *field = ds->findField(column.fieldName);
        // A column without a field has nothing to give; it is left out.
        if (!column.visible || !field)
            continue;
        const bool date = field->dataType() == FieldType::Date;
        // A number shown through a text event (a code shown as its name) goes
        // over as the text the grid shows.
        const bool numeric = isNumeric(field) && !field->OnGetText;
        cols.append({field, column.caption.isEmpty() ? field->displayLabel() : column.caption, numeric, date});
    }
    lxw_format *title = addFormat();
    format_set_bottom(title, LXW_BORDER_THIN);
    lxw_format *money = moneyFormat(Decimal);
    lxw_format *text = addFormat();
    format_set_num_format(text, "@");
    lxw_format *dateFormat = addFormat();
    format_set_num_format(dateFormat, "yyyy/mm/dd");

    for (int c = 0; c < cols.size(); ++c) {
        check(worksheet_write_string(m_sheet, 0, lxw_col_t(c), cols[c].caption.toUtf8().constData(), title), "見出し");
        widen(c, cols[c].caption);
        if (!cols[c].date)
            check(worksheet_set_column(m_sheet, lxw_col_t(c), lxw_col_t(c), LXW_DEF_COL_WIDTH,
                                       cols[c].numeric ? money : text), "列の書式");
    }
    worksheet_freeze_panes(m_sheet, 1, 0);

    const QString systemDate = QLocale::system().dateFormat(QLocale::ShortFormat);
    DataSetWalk walk(ds);
    lxw_row_t row = 1;
    for (ds->first(); !ds->eof(); ds->next(), ++row) {
        for (int c = 0; c < cols.size(); ++c) {
            Field *field = cols[c].field;
            const QVariant value = field->value();
            if (!value.isValid() || value.isNull())
                continue;
            if (cols[c].numeric) {
                const double number = field->dataType() == FieldType::Currency ? field->asCurrency().toDouble() : field->asFloat();
                check(worksheet_write_number(m_sheet, row, lxw_col_t(c), number, money), "数値");
                widen(c, field->displayText() + QStringLiteral("-"));
            } else if (cols[c].date && !UseText) {
                const QDate d = value.toDate();
                lxw_datetime dt = {d.year(), d.month(), d.day(), 0, 0, 0};
                check(worksheet_write_datetime(m_sheet, row, lxw_col_t(c), &dt, dateFormat), "日付");
                widen(c, QStringLiteral("0000/00/00"));
            } else {
                const QString shown = cols[c].date ? QLocale::system().toString(value.toDate(), systemDate) : field->text();
                if (shown.isEmpty())
                    continue;
                check(worksheet_write_string(m_sheet, row, lxw_col_t(c), shown.toUtf8().constData(), text), "文字");
                widen(c, shown);
            }
        }
    }
}

// ---- table view ---------------------------------------------------------------

bool TTableViewExcelExport::hasData()
{
    const QAbstractItemModel *model = View ? View->model() : nullptr;
    return model && model->rowCount() > 0 && model->columnCount() > 0;
}

void TTableViewExcelExport::Export()
{
    const QAbstractItemModel *model = View->model();
    const QHeaderView *header = View->horizontalHeader();
    const int rows = model->rowCount();
    QList<int> cols;   // model columns in the order the user sees them
    for (int v = 0; v < header->count(); ++v) {
        const int c = header->logicalIndex(v);
        if (c >= 0 && !View->isColumnHidden(c) && header->sectionSize(c) > 0)
            cols.append(c);
    }
    lxw_format *title = addFormat();
    format_set_bottom(title, LXW_BORDER_THIN);
    lxw_format *money = moneyFormat(Decimal);
    lxw_format *text = addFormat();
    format_set_num_format(text, "@");
    lxw_format *dateFormat = addFormat();
    format_set_num_format(dateFormat, "yyyy/mm/dd");

    for (int x = 0; x < cols.size(); ++x) {
        const QString caption = model->headerData(cols[x], Qt::Horizontal, Qt::DisplayRole).toString();
        check(worksheet_write_string(m_sheet, 0, lxw_col_t(x), caption.toUtf8().constData(), title), "見出し");
        widen(x, caption);
        // The column's kind is that of its first typed value; blank cells of a
        // money column stay money cells for what the user types into them.
        bool numeric = false, date = false;
        for (int r = 0; r < rows; ++r) {
            const QVariant v = model->data(model->index(r, cols[x]), Qt::EditRole);
            if (!v.isValid() || v.isNull())
                continue;
            date = v.typeId() == QMetaType::QDate;
            numeric = v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Int
                || v.typeId() == QMetaType::LongLong;
            break;
        }
        if (!date)
            check(worksheet_set_column(m_sheet, lxw_col_t(x), lxw_col_t(x), LXW_DEF_COL_WIDTH, numeric ? money : text),
                  "列の書式");
    }
    worksheet_freeze_panes(m_sheet, 1, 0);

    const QString systemDate = QLocale::system().dateFormat(QLocale::ShortFormat);
    for (int r = 0; r < rows; ++r) {
        const lxw_row_t row = lxw_row_t(r + 1);
        for (int x = 0; x < cols.size(); ++x) {
            const QModelIndex index = model->index(r, cols[x]);
            const QVariant value = model->data(index, Qt::EditRole);
            if (!value.isValid() || value.isNull())
                continue;
            const int type = value.typeId();
            if (type == QMetaType::QDate) {
                const QDate d = value.toDate();
                if (UseText) {
                    const QString shown = QLocale::system().toString(d, systemDate);
                    check(worksheet_write_string(m_sheet, row, lxw_col_t(x), shown.toUtf8().constData(), text), "文字");
                    widen(x, shown);
                } else {
                    lxw_datetime dt = {d.year(), d.month(), d.day(), 0, 0, 0};
                    check(worksheet_write_datetime(m_sheet, row, lxw_col_t(x), &dt, dateFormat), "日付");
                    widen(x, QStringLiteral("0000/00/00"));
                }
            } else if (type == QMetaType::Double || type == QMetaType::Int || type == QMetaType::LongLong) {
                check(worksheet_write_number(m_sheet, row, lxw_col_t(x), value.toDouble(), money), "数値");
                widen(x, model->data(index, Qt::DisplayRole).toString() + QStringLiteral("-"));
            } else {
                const QString shown = model->data(index, Qt::DisplayRole).toString();
                if (shown.isEmpty())
                    continue;
                check(worksheet_write_string(m_sheet, row, lxw_col_t(x), shown.toUtf8().constData(), text), "文字");
                widen(x, shown);
            }
        }
    }
}

// ---- money tables ------------------------------------------------------------

bool TCurrencyGridExcelExport::hasData()
{
    TCurrencyGrid *first = Grid[0];
    if (OnGetGrid)
        OnGetGrid(0, first);
    Grid[0] = first;
    return first && first->rowCount() > 0 && first->colCount() > 0;
}

void TCurrencyGridExcelExport::Export()
{
    const int headerRows = Header.isEmpty() ? 0 : 2;
    // Table 1 was asked for by hasData().
    writeTable(Grid[0], ColOffSet[0], RowOffSet[0] + headerRows, FixedColor[0]);
    int written = 1;
    for (int n = 1; n < 5; ++n, ++written) {
        if (OnGetGrid)
            OnGetGrid(n, Grid[n]);
        if (!Grid[n])
            break;
        writeTable(Grid[n], ColOffSet[n], RowOffSet[n] + headerRows, FixedColor[n]);
    }
    // Panes are frozen only for a lone table: the handler may supply a second
    // table only when it is asked, so this is decided after all are written.
    if (written == 1)
        worksheet_freeze_panes(m_sheet, lxw_row_t(m_freezeRow), lxw_col_t(m_freezeCol));
    if (!Header.isEmpty()) {
        check(worksheet_write_string(m_sheet, 0, 0, Header.toUtf8().constData(), nullptr), "見出し");
    }
}

void TCurrencyGridExcelExport::writeTable(TCurrencyGrid *grid, int C, int R, const QColor &fixed)
{
    const int n = grid->colCount();
    const int m = grid->rowCount();
    const int fr = grid->fixedRows();
    const int fc = grid->fixedCols();
    bool anyStack = false;
    for (int r = 0; r < m && !anyStack; ++r)
        anyStack = grid->getRowStack(r);
    const int per = anyStack ? 2 : 1;
    const int H = m * per;
    const int Hf = fr * per;

    // One format per distinct look: libxlsxwriter formats are whole cell
    // styles, so fill, lines, alignment and number format are combined here.
    struct Key { QRgb fill; bool money; int align; bool dotBottom; bool top, bottom, left, right; };
    QHash<QString, lxw_format *> cache;
    auto formatFor = [&](const Key &k) {
        const QString id = QStringLiteral("%1/%2/%3/%4/%5%6%7%8").arg(k.fill).arg(k.money).arg(k.align).arg(k.dotBottom)
                               .arg(k.top).arg(k.bottom).arg(k.left).arg(k.right);
        auto it = cache.find(id);
        if (it != cache.end())
            return *it;
        lxw_format *f = addFormat();
        format_set_bg_color(f, lxw_color_t(k.fill & 0xFFFFFF));
        format_set_pattern(f, LXW_PATTERN_SOLID);
        if (k.money)
            format_set_num_format(f, Decimal ? kMoneyDot : kMoney);
        if (k.align == 1)
            format_set_align(f, LXW_ALIGN_RIGHT);
        else if (k.align == 2)
            format_set_align(f, LXW_ALIGN_CENTER);
        else if (k.align == 0)
            format_set_align(f, LXW_ALIGN_LEFT);
        format_set_bottom(f, k.bottom ? LXW_BORDER_THIN : k.dotBottom ? LXW_BORDER_DOTTED : LXW_BORDER_NONE);
        format_set_top(f, k.top ? LXW_BORDER_THIN : LXW_BORDER_NONE);
        format_set_left(f, k.left ? LXW_BORDER_THIN : LXW_BORDER_DOTTED);
        format_set_right(f, k.right ? LXW_BORDER_THIN : LXW_BORDER_DOTTED);
        cache.insert(id, f);
        return f;
    };

    for (int r = 0; r < m; ++r) {
        const QColor rowFill = (r % 2) ? RowOddColor : RowEvenColor;
        for (int sub = 0; sub < per; ++sub) {
            const int sheetRow = R + r * per + sub;   // 0-based
            const int tableRow = r * per + sub;
            const bool stackRow = sub == 1;
            for (int c = 0; c < n; ++c) {
                Key k{};
                const bool fixedCell = r < fr || c < fc;
                k.fill = (fixedCell ? fixed : rowFill).rgb();
                const bool ownText = !grid->cells(c, r).isEmpty();
                const Currency value = grid->getValue(c, r);
                k.money = stackRow || !ownText;
                k.align = -1;
                if (!stackRow && ownText) {
                    const int a = int(grid->getCellAlignment(c, r));
                    k.align = anyStack && a != 2 ? -1 : a;
                }
                k.dotBottom = !anyStack || stackRow;
                k.top = tableRow == 0;
                k.bottom = tableRow == H - 1 || (Hf > 0 && tableRow == Hf - 1);
                k.left = c == 0;
                k.right = c == n - 1 || (fc > 0 && c == fc - 1);
                lxw_format *f = formatFor(k);
                const lxw_row_t y = lxw_row_t(sheetRow);
                const lxw_col_t x = lxw_col_t(C + c);
                if (stackRow) {
                    const Currency stack = grid->getStackValue(c, r);
                    if (stack.isZero())
                        check(worksheet_write_blank(m_sheet, y, x, f), "空欄");
                    else
                        check(worksheet_write_number(m_sheet, y, x, stack.toDouble(), f), "金額");
                } else if (!ownText && !value.isZero()) {
                    check(worksheet_write_number(m_sheet, y, x, value.toDouble(), f), "金額");
                    widen(C + c, grid->displayText(c, r) + QStringLiteral("-"));
                } else {
                    const QString shown = grid->displayText(c, r);
                    if (shown.isEmpty())
                        check(worksheet_write_blank(m_sheet, y, x, f), "空欄");
                    else
                        check(worksheet_write_string(m_sheet, y, x, shown.toUtf8().constData(), f), "文字");
                    widen(C + c, shown);
                }
            }
        }
    }
    m_freezeRow = R + Hf;
    m_freezeCol = C + fc;
}

// ---- the page side ----------------------------------------------------------

bool RunExcelExport(TCustomExcelExport &exporter, const QString &defaultName)
{
    if (!exporter.hasData()) {
        ShowMessage(QStringLiteral("出力するデータがありません。"));
        return false;
    }
    QString folder = QDir::homePath();
    if (RegIni)
        folder = RegIni->readString(QStringLiteral("Export"), QStringLiteral("Folder"), folder);
    if (!QFileInfo(folder).isDir())
        folder = QDir::homePath();
    QString path = SaveFileDialog(nullptr, QStringLiteral("エクセルへ"), folder + u'/' + defaultName + QStringLiteral(".xlsx"),
                                  QStringLiteral("Excel ブック (*.xlsx)"), QStringLiteral("xlsx"));
    if (path.isEmpty())
        return false;
    if (!path.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive))
        path += QStringLiteral(".xlsx");
    QString why;
    if (!exporter.execute(path, &why)) {
        ShowMessage(why);
        return false;
    }
    if (RegIni) try {
        RegIni->WriteStringAndUpdate(QStringLiteral("Export"), QStringLiteral("Folder"), QFileInfo(path).absolutePath());
    } catch (const Exception &e) {
        ShowMessage(QStringLiteral("保存したフォルダーを覚えておけませんでした：%1").arg(e.message()));
    }
    if (g_openWorkbook && !QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        ShowMessage(QStringLiteral("「%1」を保存しましたが、開くプログラムが見つかりませんでした。")
                        .arg(QDir::toNativeSeparators(path)));
    return true;
}
