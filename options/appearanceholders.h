// The main window's settings under the names and calls of the hidden controls
// that once held them: each reads and writes one field of the store, so code
// written against a holder keeps working and there is one value in force.
#pragma once

#include "appearance.h"

class AppearanceField
{
public:
    explicit AppearanceField(AppearanceStore *store) : m_store(store) {}

protected:
    template <typename T> void assign(T Appearance::*field, const T &value)
    {
        Appearance edited = m_store->value();
        edited.*field = value;
        m_store->set(edited);
    }
    AppearanceStore *m_store;
};

class ColorHolder : public AppearanceField
{
public:
    using AppearanceField::AppearanceField;
    qint32 color() const { return m_store->value().PanelSample; }
    void setColor(qint32 value) { assign(&Appearance::PanelSample, value); }
};

class FontHolder : public AppearanceField
{
public:
    FontHolder(AppearanceStore *store, FontValue Appearance::*field)
        : AppearanceField(store), m_field(field)
    {
    }
    const FontValue &fontValue() const { return m_store->value().*m_field; }
    void setFontValue(const FontValue &font) { assign(m_field, font); }

private:
    FontValue Appearance::*m_field;
};

class TextHolder : public AppearanceField
{
public:
    TextHolder(AppearanceStore *store, QString Appearance::*field)
        : AppearanceField(store), m_field(field)
    {
    }
    QString text() const { return m_store->value().*m_field; }
    void setText(const QString &text) { assign(m_field, text); }

private:
    QString Appearance::*m_field;
};

class CheckHolder : public AppearanceField
{
public:
    using AppearanceField::AppearanceField;
    bool isChecked() const { return m_store->value().CheckBoxRedLetters; }
    void setChecked(bool on) { assign(&Appearance::CheckBoxRedLetters, on); }
};

class ZoomHolder : public AppearanceField
{
public:
    using AppearanceField::AppearanceField;
    int value() const { return m_store->value().SpinEditZoom; }
    // Kept within the zoom's range, as a spin box would.
    void setValue(int percent)
    {
        assign(&Appearance::SpinEditZoom,
               qBound(Appearance::ZoomMinimum, percent, Appearance::ZoomMaximum));
    }
    int minimum() const { return Appearance::ZoomMinimum; }
    int maximum() const { return Appearance::ZoomMaximum; }
};

// The holders of one store, under the design's names.
struct AppearanceHolders
{
    explicit AppearanceHolders(AppearanceStore *store)
        : PanelSample(store), PanelSampleBook(store, &Appearance::PanelSampleBook),
          PanelSampleVerse(store, &Appearance::PanelSampleVerse),
          PanelSampleText(store, &Appearance::PanelSampleText),
          edithtmlviewer(store, &Appearance::edithtmlviewer),
          EditFirstTime(store, &Appearance::EditFirstTime), CheckBoxRedLetters(store),
          SpinEditZoom(store)
    {
    }
    ColorHolder PanelSample;
    FontHolder PanelSampleBook;
    FontHolder PanelSampleVerse;
    FontHolder PanelSampleText;
    TextHolder edithtmlviewer;
    TextHolder EditFirstTime;
    CheckHolder CheckBoxRedLetters;
    ZoomHolder SpinEditZoom;
};
