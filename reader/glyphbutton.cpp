#include "glyphbutton.h"

#include <QAccessibleWidget>
#include <QStyleOptionToolButton>
#include <QStylePainter>

namespace {
// The reader clicks its buttons on Alt and the underlined letter itself and
// leaves them without a shortcut of their own, so Qt's own interface would
// report no key: this one reports the letter with the press action.
class GlyphButtonAccessible : public QAccessibleWidget
{
public:
    explicit GlyphButtonAccessible(GlyphButton *button)
        : QAccessibleWidget(button, QAccessible::Button)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name:
            if (widget()->accessibleName().isEmpty())
                return QString(button()->text()).remove(QLatin1Char('&')).simplified();
            break;
        case QAccessible::Accelerator:
            return key();
        default:
            break;
        }
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.pressed = button()->isDown();
        return state;
    }

    QStringList actionNames() const override { return {pressAction()}; }

    void doAction(const QString &action) override
    {
        if (action == pressAction() && button()->isEnabled())
            button()->click();
    }

    QStringList keyBindingsForAction(const QString &action) const override
    {
        if (action == pressAction() && !key().isEmpty())
            return {key()};
        return {};
    }

private:
    GlyphButton *button() const { return static_cast<GlyphButton *>(widget()); }
    QString key() const { return QKeySequence::mnemonic(button()->text()).toString(); }
};

QAccessibleInterface *glyphButtonAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("GlyphButton") && object && object->isWidgetType())
        return new GlyphButtonAccessible(static_cast<GlyphButton *>(object));
    return nullptr;
}
} // namespace

GlyphButton::GlyphButton(QWidget *parent) : QToolButton(parent)
{
    static const bool accessibleInstalled = [] {
        QAccessible::installFactory(glyphButtonAccessible);
        return true;
    }();
    Q_UNUSED(accessibleInstalled);
    setAutoRaise(true);
    setIconSize(QSize(16, 16));
    // The caption under the glyph; a narrow strip shows the glyph alone.
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setFocusPolicy(Qt::NoFocus);
}

QSize GlyphButton::sizeHint() const
{
    return QSize(70, 50);
}

void GlyphButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    // The frame of a flat button, then the glyph and the wrapped caption.
    option.text.clear();
    option.icon = QIcon();
    painter.drawComplexControl(QStyle::CC_ToolButton, option);

    const QRect area = rect().adjusted(2, 2, -2, -2);
    const QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
    const QPixmap glyph = icon().pixmap(iconSize(), devicePixelRatioF(), mode);
    const bool glyphOnly = toolButtonStyle() == Qt::ToolButtonIconOnly;
    const int glyphTop =
        glyphOnly ? area.top() + (area.height() - iconSize().height()) / 2 : area.top();
    const QRect glyphRect(area.left() + (area.width() - iconSize().width()) / 2, glyphTop,
                          iconSize().width(), iconSize().height());
    painter.drawPixmap(glyphRect, glyph);
    if (glyphOnly)
        return;

    const QRect textRect(area.left(), glyphRect.bottom() + 1, area.width(),
                         area.bottom() - glyphRect.bottom());
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(textRect,
                     Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap | Qt::TextShowMnemonic,
                     text());
}
