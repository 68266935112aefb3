#include "app/SettingBindings.h"

#include "app/OuterFrame.h"
#include "app/SessionDisplay.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "platform/core/IniFile.h"
#include "playback/Options.h"
#include "playback/PlaySequencer.h"

#include <QAction>
#include <QHeaderView>
#include <QTreeView>

#include <array>
#include <cstddef>

namespace tunelet
{

namespace
{

struct Binding {
    Setting id;
    QVariant (*current)(const TForm1 &);
    void (*apply)(TForm1 &, const QVariant &);
    // An option's switch and the menu item whose check mark shows it.
    bool Options::*flag = nullptr;
    QAction *Form1Widgets::*item = nullptr;
};

// An option: a switch of the options, shown by its menu item's check mark.
template <bool Options::*flag, QAction *Form1Widgets::*item> constexpr Binding option(Setting id)
{
    return {id, [](const TForm1 &form) -> QVariant { return form.Opts().*flag; },
            [](TForm1 &form, const QVariant &value) {
                form.Opts().*flag = value.toBool();
                (widgetsOf(form).*item)->setChecked(value.toBool());
            },
            flag, item};
}

// A program path of the options.
template <QByteArray Options::*text> constexpr Binding programPath(Setting id)
{
    return {id, [](const TForm1 &form) -> QVariant { return form.Opts().*text; },
            [](TForm1 &form, const QVariant &value) { form.Opts().*text = value.toByteArray(); }};
}

// A string the window holds for the whole run.
template <QByteArray TForm1::*text> constexpr Binding path(Setting id)
{
    return {id, [](const TForm1 &form) -> QVariant { return form.*text; },
            [](TForm1 &form, const QVariant &value) { form.*text = value.toByteArray(); }};
}

// The starting folder of a file dialog.
template <FileDialogState TForm1::*dialog> constexpr Binding folder(Setting id)
{
    return {id, [](const TForm1 &form) -> QVariant { return (form.*dialog).InitialDir; },
            [](TForm1 &form, const QVariant &value) {
                (form.*dialog).InitialDir = value.toByteArray();
            }};
}

// Positions and sizes are those of the outer frames.
QRect mainGeometry(const TForm1 &form)
{
    return form.Frame().geometry();
}

// A viewer that does not exist yet stands where its defaults put it.
QRect viewerGeometry(const TForm1 &form)
{
    const TForm2 *viewer = form.DataViewer();
    return viewer ? viewer->Frame().geometry()
                  : QRect(QPoint(100, 100), form.Frame().geometry().size());
}

template <int (QRect::*get)() const, void (QRect::*set)(int)> constexpr Binding mainEdge(Setting id)
{
    return {id, [](const TForm1 &form) -> QVariant { return (mainGeometry(form).*get)(); },
            [](TForm1 &form, const QVariant &value) {
                QRect g = mainGeometry(form);
                (g.*set)(value.toInt());
                form.Frame().setGeometry(g);
            }};
}

template <int (QRect::*get)() const, void (QRect::*set)(int)>
constexpr Binding viewerEdge(Setting id)
{
    return {id, [](const TForm1 &form) -> QVariant { return (viewerGeometry(form).*get)(); },
            [](TForm1 &form, const QVariant &value) {
                if (TForm2 *viewer = form.DataViewer()) {
                    QRect g = viewer->Frame().geometry();
                    (g.*set)(value.toInt());
                    viewer->Frame().setGeometry(g);
                }
            }};
}

template <int section> constexpr Binding column(Setting id)
{
    return {id,
            [](const TForm1 &form) -> QVariant {
                return widgetsOf(form).ListView1->header()->sectionSize(section);
            },
            [](TForm1 &form, const QVariant &value) {
                widgetsOf(form).ListView1->header()->resizeSection(section, value.toInt());
            }};
}

constexpr Binding version()
{
    return {Setting::Version, [](const TForm1 &) -> QVariant { return SettingsVersion; },
            [](TForm1 &, const QVariant &) {}};
}

// The index of the checked item; other stored values leave the design state
// (list play).
constexpr Binding playMode()
{
    return {Setting::PlayMode,
            [](const TForm1 &form) -> QVariant { return int(form.Opts().playMode); },
            [](TForm1 &form, const QVariant &value) {
                const int number = value.toInt();
                if (number >= int(PlayMode::List) && number <= int(PlayMode::Random))
                    form.SelectPlayMode(PlayMode(number));
            }};
}

using S = Setting;

const std::array kBindings{
    version(),
    mainEdge<&QRect::top, &QRect::moveTop>(S::Top),
    mainEdge<&QRect::left, &QRect::moveLeft>(S::Left),
    mainEdge<&QRect::height, &QRect::setHeight>(S::Height),
    mainEdge<&QRect::width, &QRect::setWidth>(S::Width),
    viewerEdge<&QRect::top, &QRect::moveTop>(S::Top2),
    viewerEdge<&QRect::left, &QRect::moveLeft>(S::Left2),
    viewerEdge<&QRect::height, &QRect::setHeight>(S::Height2),
    viewerEdge<&QRect::width, &QRect::setWidth>(S::Width2),
    column<0>(S::ColumnHEAD),
    column<1>(S::ColumnFileName),
    programPath<&Options::sonaroPath>(S::SonaroPath),
    programPath<&Options::editorPath>(S::EditorPath),
    programPath<&Options::mid2snrPath>(S::mid2snrPath),
    option<&Options::repeatPlay, &Form1Widgets::MMRepeat>(S::RepeatPlay),
    option<&Options::listOpen, &Form1Widgets::MMListOpen>(S::ListOpen),
    option<&Options::stayOnTop, &Form1Widgets::MMStayOnTop>(S::StayOnTop),
    option<&Options::saveList, &Form1Widgets::MMSaveList>(S::SaveList),
    option<&Options::playMinimize, &Form1Widgets::MMPlayMinimize>(S::PlayMinimize),
    option<&Options::closeSonaro, &Form1Widgets::MMCloseSonaro>(S::CloseSonaro),
    option<&Options::compactMode, &Form1Widgets::MMCompactMode>(S::CompactMode),
    option<&Options::taskTray, &Form1Widgets::MMTaskTray>(S::TaskTray),
    option<&Options::dataView, &Form1Widgets::MMDataView>(S::DataView),
    option<&Options::lzhHead, &Form1Widgets::MMLzhHEAD>(S::LzhHEAD),
    option<&Options::playMember, &Form1Widgets::MMSWMember>(S::PlayMember),
    option<&Options::playFinger, &Form1Widgets::MMSWFinger>(S::PlayFinger),
    option<&Options::playScore, &Form1Widgets::MMSWScore>(S::PlayScore),
    playMode(),
    path<&TForm1::FileName>(S::FileName),
    folder<&TForm1::OpenDialog1>(S::IniDir),
    folder<&TForm1::OpenDialog2>(S::IniDir2),
};

static_assert(std::tuple_size_v<decltype(kBindings)> == std::size_t(Setting::IniDir2) + 1,
              "one binding for every key");

const Binding &binding(Setting id)
{
    const Binding &row = kBindings[static_cast<std::size_t>(id)];
    Q_ASSERT(row.id == id);
    return row;
}

} // namespace

QVariant currentSetting(const TForm1 &form, Setting id)
{
    return binding(id).current(form);
}

void applySetting(TForm1 &form, Setting id, const QVariant &value)
{
    binding(id).apply(form, value);
}

QVariant defaultSetting(const TForm1 &form, const SettingRow &setting)
{
    switch (setting.from) {
    case SettingDefault::Fixed:
        return fixedDefault(setting);
    case SettingDefault::CurrentValue:
        return currentSetting(form, setting.id);
    case SettingDefault::MainHeight:
        return form.Frame().geometry().height();
    case SettingDefault::MainWidth:
        return form.Frame().geometry().width();
    case SettingDefault::ProgramFolder:
        return form.ProgramFolder();
    }
    return {};
}

IniEntry settingEntry(const TForm1 &form, Setting id)
{
    return settingEntry(settingRow(id), currentSetting(form, id));
}

void readSetting(TForm1 &form, const IniFile &ini, Setting id)
{
    const SettingRow &setting = settingRow(id);
    applySetting(form, id, readSetting(ini, setting, defaultSetting(form, setting)));
}

void bindOptionItems(TForm1 &form)
{
    for (const Binding &row : kBindings) {
        if (!row.item)
            continue;
        QAction *item = widgetsOf(form).*row.item;
        // The check marks start as the design has them; so do the options.
        form.Opts().*row.flag = item->isChecked();
        QObject::connect(item, &QAction::toggled, &form,
                         [&form, flag = row.flag](bool on) { form.Opts().*flag = on; });
    }
    for (PlayMode mode : {PlayMode::List, PlayMode::Single, PlayMode::Random}) {
        QAction *item = playModeItem(widgetsOf(form), mode);
        if (item->isChecked())
            form.Opts().playMode = mode;
        QObject::connect(item, &QAction::toggled, &form, [&form, mode](bool on) {
            if (on)
                form.Opts().playMode = mode;
        });
    }
}

} // namespace tunelet
