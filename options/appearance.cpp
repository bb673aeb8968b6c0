#include "appearance.h"

#include "options/storefile.h"
#include "options/viewersetting.h"

#include <exception>

using namespace StoredValues;

namespace {
QString valueName(const AppearanceName &name)
{
    return QLatin1String(name.holder) + QLatin1Char('_') + QLatin1String(name.property);
}

FontValue *fontOf(Appearance &a, Appearance::Key key)
{
    switch (key) {
    case Appearance::PanelSampleBookKey:
        return &a.PanelSampleBook;
    case Appearance::PanelSampleTextKey:
        return &a.PanelSampleText;
    case Appearance::PanelSampleVerseKey:
        return &a.PanelSampleVerse;
    default:
        return nullptr;
    }
}
} // namespace

QString defaultViewerSetting()
{
    return DocumentLauncher::defaultSetting();
}

bool Appearance::operator==(const Appearance &o) const
{
    return PanelSample == o.PanelSample && PanelSampleBook == o.PanelSampleBook &&
           PanelSampleVerse == o.PanelSampleVerse && PanelSampleText == o.PanelSampleText &&
           edithtmlviewer == o.edithtmlviewer && EditFirstTime == o.EditFirstTime &&
           SpeedBar1 == o.SpeedBar1 && CheckBoxRedLetters == o.CheckBoxRedLetters &&
           SpinEditZoom == o.SpinEditZoom;
}

QList<QPair<QString, QString>> Appearance::texts(int pixelsPerInch, unsigned keys) const
{
    QList<QPair<QString, QString>> result;
    Appearance copy = *this;
    for (const AppearanceName &name : StoredProps) {
        if (!(keys & name.key))
            continue;
        const QString stored = valueName(name);
        if (const FontValue *font = fontOf(copy, name.key)) {
            for (const auto &[property, text] : fontTexts(*font, pixelsPerInch))
                result.append({stored + property, text});
            continue;
        }
        QString text;
        switch (name.key) {
        case PanelSampleKey:
            text = integerText(PanelSample);
            break;
        case SpeedBar1Key:
            text = alignText(SpeedBar1);
            break;
        case edithtmlviewerKey:
            text = trimmed(edithtmlviewer);
            break;
        case EditFirstTimeKey:
            text = trimmed(EditFirstTime);
            break;
        case CheckBoxRedLettersKey:
            text = booleanText(CheckBoxRedLetters);
            break;
        case SpinEditZoomKey:
            text = integerText(SpinEditZoom);
            break;
        default:
            break;
        }
        result.append({stored, text});
    }
    return result;
}

void Appearance::read(const QList<StoreFile::Value> &store, int ppi, unsigned keys)
{
    // The stored text, or the field's own value as text when nothing is
    // stored; false when the value is not text and the field stays as it is.
    const auto textOf = [&store](const QString &name, const QString &current, QString *text) {
        const StoreFile::Value *value = StoreFile::find(store, name);
        if (value && !value->isText)
            return false;
        *text = trimmed(value ? value->text : current);
        return true;
    };
    const auto guarded = [](const auto &step) {
        try {
            step();
        } catch (const std::exception &) {
        }
    };
    QString text;
    for (const AppearanceName &name : StoredProps) {
        if (!(keys & name.key))
            continue;
        const QString stored = valueName(name);
        if (FontValue *font = fontOf(*this, name.key)) {
            // The size comes after the height, so a stored size decides the
            // final height.
            for (const QString &property : fontPropertyNames()) {
                guarded([&] {
                    FontValue edited = *font;
                    if (textOf(stored + property, fontPropertyText(edited, property, ppi), &text)) {
                        applyFontProperty(edited, property, text, ppi);
                        *font = edited;
                    }
                });
            }
            continue;
        }
        guarded([&] {
            switch (name.key) {
            case PanelSampleKey:
                if (textOf(stored, integerText(PanelSample), &text))
                    PanelSample = toInteger(text);
                break;
            case SpeedBar1Key: {
                Align edge = SpeedBar1;
                // A tool bar docks at an edge only: other names are refused.
                if (textOf(stored, alignText(SpeedBar1), &text) && parseAlign(text, &edge) &&
                    isToolBarEdge(edge))
                    SpeedBar1 = edge;
                break;
            }
            case edithtmlviewerKey:
                if (textOf(stored, edithtmlviewer, &text))
                    edithtmlviewer = text;
                break;
            case EditFirstTimeKey:
                if (textOf(stored, EditFirstTime, &text))
                    EditFirstTime = text;
                break;
            case CheckBoxRedLettersKey: {
                bool checked = CheckBoxRedLetters;
                if (textOf(stored, booleanText(CheckBoxRedLetters), &text) &&
                    parseBoolean(text, &checked))
                    CheckBoxRedLetters = checked;
                break;
            }
            case SpinEditZoomKey: {
                qint32 zoom = 0;
                // A zoom out of range or not a number leaves the fonts as
                // they are.
                if (textOf(stored, integerText(SpinEditZoom), &text) && parseInteger(text, &zoom) &&
                    zoom >= ZoomMinimum && zoom <= ZoomMaximum)
                    SpinEditZoom = zoom;
                break;
            }
            default:
                break;
            }
        });
    }
}

void AppearanceStore::set(const Appearance &value)
{
    if (value == m_value)
        return;
    m_value = value;
    emit changed(m_value);
}

void AppearanceStore::load(const QList<StoreFile::Value> &store, int pixelsPerInch)
{
    Appearance loaded = m_value;
    loaded.read(store, pixelsPerInch);
    set(loaded);
}

QList<QPair<QString, QString>> AppearanceStore::save(int pixelsPerInch) const
{
    return m_value.texts(pixelsPerInch);
}
