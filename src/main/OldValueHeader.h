#pragma once

#include <functional>

#include <QList>
#include <QString>
#include <QWidget>

// A strip of sections over a grid, each a button showing a text: the
// previous-value header of a journal page. The first section stands over the
// grid's indicator and takes no clicks.
class TOldValueHeader : public QWidget
{
    Q_OBJECT
public:
    struct Section
    {
        int id = -1;
        int width = 0;
        QString text;
        Qt::Alignment alignment = Qt::AlignLeft;
        bool clickable = true;
    };

    explicit TOldValueHeader(QWidget *parent = nullptr);

    void clear();
    // The new section's identity.
    int addSection(int width, const QString &text, Qt::Alignment alignment, bool clickable);
    int count() const { return int(m_sections.size()); }
    const Section &section(int index) const { return m_sections.at(index); }
    // The index of the section with an identity, or -1.
    int indexOfId(int id) const;
    void setSectionText(int index, const QString &text);
    // The section under x, found by adding up the widths; -1 past the last.
    int sectionAt(int x) const;
    // Left edge of a section.
    int sectionLeft(int index) const;

    // A press on a clickable section: its index and the button.
    std::function<void(int index, Qt::MouseButton button, const QPoint &pos)> onSectionPressed;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QList<Section> m_sections;
    int m_nextId = 0;
    int m_pressed = -1;
};
