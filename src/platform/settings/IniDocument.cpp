#include "platform/settings/IniDocument.h"

namespace {

enum class Part { SectionName, Key, Value };

QString escape(const QString &text, Part part)
{
    QString out;
    out.reserve(text.size() + 4);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const bool edge = (i == 0 || i == text.size() - 1);
        switch (c.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '=':
            out += part == Part::Key ? QLatin1String("\\=") : QLatin1String("=");
            break;
        case ']':
            out += part == Part::SectionName ? QLatin1String("\\]") : QLatin1String("]");
            break;
        case '[': case ';': case '#':
            if (part == Part::Key && i == 0)
                out += QLatin1Char('\\');
            out += c;
            break;
        case ' ': case '\t':
            // Names are trimmed when read, so a blank at either end is protected.
            if (part != Part::Value && edge)
                out += c == QLatin1Char(' ') ? QLatin1String("\\s") : QLatin1String("\\t");
            else
                out += c;
            break;
        default:
            out += c;
        }
    }
    return out;
}

// Reads text up to (not including) the first unescaped `stop` character (or to
// the end when stop is null), undoing the escapes. `end` receives the position
// of the stop character, or -1.
QString unescape(QStringView text, QChar stop, qsizetype *end)
{
    QString out;
    out.reserve(text.size());
    if (end)
        *end = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            const QChar n = text.at(i + 1);
            switch (n.unicode()) {
            case '\\': out += QLatin1Char('\\'); ++i; continue;
            case 'n': out += QLatin1Char('\n'); ++i; continue;
            case 'r': out += QLatin1Char('\r'); ++i; continue;
            case 's': out += QLatin1Char(' '); ++i; continue;
            case 't': out += QLatin1Char('\t'); ++i; continue;
            case '=': case '[': case ']': case ';': case '#':
                out += n; ++i; continue;
            default:
                out += c; // unknown escape: keep the backslash
                continue;
            }
        }
        if (!stop.isNull() && c == stop) {
            if (end)
                *end = i;
            return out;
        }
        out += c;
    }
    return out;
}

// Trims blanks that were not written as escapes (the raw text decides).
QStringView trimmedRaw(QStringView raw)
{
    qsizetype b = 0, e = raw.size();
    while (b < e && (raw.at(b) == QLatin1Char(' ') || raw.at(b) == QLatin1Char('\t')))
        ++b;
    while (e > b && (raw.at(e - 1) == QLatin1Char(' ') || raw.at(e - 1) == QLatin1Char('\t'))
           && !(e - 2 >= b && raw.at(e - 2) == QLatin1Char('\\')))
        --e;
    return raw.mid(b, e - b);
}

} // namespace

void IniDocument::parse(const QByteArray &bytes)
{
    clear();
    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    data.replace('\0', QByteArray());
    const QString text = QString::fromUtf8(data);
    Section *current = nullptr;
    for (QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QStringView trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#')))
            continue;
        if (trimmed.startsWith(QLatin1Char('['))) {
            // A header without its "]" still names the section: the rest of the line.
            const QString name = unescape(trimmedRaw(trimmed.mid(1)), QLatin1Char(']'), nullptr);
            current = &findOrAdd(name);
            continue;
        }
        if (!current)
            continue;
        // Values keep their blanks; only the key is trimmed.
        qsizetype eq = -1;
        qsizetype lead = 0;
        while (lead < line.size() && (line.at(lead) == QLatin1Char(' ') || line.at(lead) == QLatin1Char('\t')))
            ++lead;
        const QStringView body = line.mid(lead);
        unescape(body, QLatin1Char('='), &eq);
        if (eq < 0)
            continue;
        const QString key = unescape(trimmedRaw(body.left(eq)), QChar(), nullptr);
        const QString value = unescape(body.mid(eq + 1), QChar(), nullptr);
        const QString folded = fold(key);
        if (current->index.contains(folded))
            continue;
        current->index.insert(folded, current->entries.size());
        current->entries.append({key, value});
    }
}

QByteArray IniDocument::serialize() const
{
    QString out;
    bool first = true;
    for (const Section &s : m_sections) {
        if (!first)
            out += QLatin1Char('\n');
        first = false;
        out += QLatin1Char('[') + escape(s.name, Part::SectionName) + QLatin1String("]\n");
        for (const Entry &e : s.entries)
            out += escape(e.key, Part::Key) + QLatin1Char('=') + escape(e.value, Part::Value) + QLatin1Char('\n');
    }
    return out.toUtf8();
}

const IniDocument::Section *IniDocument::find(const QString &section) const
{
    const auto it = m_index.constFind(fold(section));
    return it == m_index.cend() ? nullptr : &m_sections.at(*it);
}

IniDocument::Section *IniDocument::find(const QString &section)
{
    const auto it = m_index.constFind(fold(section));
    return it == m_index.cend() ? nullptr : &m_sections[*it];
}

IniDocument::Section &IniDocument::findOrAdd(const QString &section)
{
    if (Section *s = find(section))
        return *s;
    m_index.insert(fold(section), m_sections.size());
    m_sections.append(Section{section, {}, {}});
    return m_sections.last();
}

void IniDocument::reindex()
{
    m_index.clear();
    for (qsizetype i = 0; i < m_sections.size(); ++i) {
        m_index.insert(fold(m_sections.at(i).name), i);
        Section &s = m_sections[i];
        s.index.clear();
        for (qsizetype j = 0; j < s.entries.size(); ++j)
            s.index.insert(fold(s.entries.at(j).key), j);
    }
}

bool IniDocument::sectionExists(const QString &section) const
{
    return find(section) != nullptr;
}

bool IniDocument::valueExists(const QString &section, const QString &key) const
{
    const Section *s = find(section);
    return s && s->index.contains(fold(key));
}

std::optional<QString> IniDocument::value(const QString &section, const QString &key) const
{
    const Section *s = find(section);
    if (!s)
        return std::nullopt;
    const auto it = s->index.constFind(fold(key));
    if (it == s->index.cend())
        return std::nullopt;
    return s->entries.at(*it).value;
}

void IniDocument::setValue(const QString &section, const QString &key, const QString &value)
{
    Section &s = findOrAdd(section);
    const QString folded = fold(key);
    const auto it = s.index.constFind(folded);
    if (it != s.index.cend()) {
        s.entries[*it].value = value;
        return;
    }
    s.index.insert(folded, s.entries.size());
    s.entries.append({key, value});
}

QStringList IniDocument::sections() const
{
    QStringList names;
    for (const Section &s : m_sections)
        names << s.name;
    return names;
}

QStringList IniDocument::keys(const QString &section) const
{
    QStringList names;
    if (const Section *s = find(section))
        for (const Entry &e : s->entries)
            names << e.key;
    return names;
}

void IniDocument::eraseSection(const QString &section)
{
    const auto it = m_index.constFind(fold(section));
    if (it == m_index.cend())
        return;
    m_sections.removeAt(*it);
    reindex();
}

void IniDocument::deleteKey(const QString &section, const QString &key)
{
    Section *s = find(section);
    if (!s)
        return;
    const auto it = s->index.constFind(fold(key));
    if (it == s->index.cend())
        return;
    s->entries.removeAt(*it);
    reindex();
}

void IniDocument::clear()
{
    m_sections.clear();
    m_index.clear();
}
