#include "app/Form1Wires.h"

#include "app/Unit1.h"

namespace tunelet
{
namespace
{

using W = Form1Widgets;
using F = TForm1;

// Rewind and fast-forward act while held: their mouse presses and releases
// are watched (Form1Mouse), not their clicks.
constexpr ButtonWire kButtonWires[]{
    {&W::SBOpen, &F::MMOpenClick}, {&W::SBSave, &F::MMSaveClick},
    {&W::SBAdd, &F::MMAddClick},   {&W::SBDelete, &F::MMDeleteClick},
    {&W::SBUp, &F::MMUpClick},     {&W::SBDown, &F::MMDownClick},
    {&W::SBPlay, &F::SBPlayClick}, {&W::SBPause, &F::SBPauseClick},
    {&W::SBStop, &F::SBStopClick}, {&W::SBBack, &F::SBBackClick},
    {&W::SBNext, &F::SBNextClick}};

constexpr ItemWire kItemWires[]{{&W::MMAdd, &F::MMAddClick},
                                {&W::MMDelete, &F::MMDeleteClick},
                                {&W::MMDelete2, &F::MMDeleteClick},
                                {&W::MMOpen, &F::MMOpenClick},
                                {&W::MMReload, &F::MMReloadClick},
                                {&W::MMSave, &F::MMSaveClick},
                                {&W::MMClear, &F::MMClearClick},
                                {&W::MMExit, &F::MMExitClick},
                                {&W::MMUp, &F::MMUpClick},
                                {&W::MMDown, &F::MMDownClick},
                                {&W::MMUp2, &F::MMUpClick},
                                {&W::MMDown2, &F::MMDownClick},
                                {&W::MMHEADSort, &F::MMHEADSortClick},
                                {&W::MMFileNameSort, &F::MMFileNameSortClick},
                                {&W::MMRandomSort, &F::MMRandomSortClick},
                                {&W::MMExistsDelete, &F::MMExistsDeleteClick},
                                {&W::MMWFileDelete, &F::MMWFileDeleteClick},
                                {&W::MMDataEdit, &F::MMDataEditClick},
                                {&W::MMListPlay, &F::MMListPlayClick},
                                {&W::MMSinglePlay, &F::MMSinglePlayClick},
                                {&W::MMRandomPlay, &F::MMRandomPlayClick},
                                {&W::MMStayOnTop, &F::MMStayOnTopClick},
                                {&W::MMCompactMode, &F::MMCompactModeClick},
                                {&W::MMDataView, &F::MMDataViewClick},
                                {&W::MMRepeat, &F::MMRepeatClick},
                                {&W::MMPlayMinimize, &F::MMPlayMinimizeClick},
                                {&W::MMCloseSonaro, &F::MMCloseSonaroClick},
                                {&W::MMListOpen, &F::MMListOpenClick},
                                {&W::MMSaveList, &F::MMSaveListClick},
                                {&W::MMTaskTray, &F::MMTaskTrayClick},
                                {&W::MMLzhHEAD, &F::MMLzhHEADClick},
                                {&W::MMSWMember, &F::MMSWMemberClick},
                                {&W::MMSWFinger, &F::MMSWFingerClick},
                                {&W::MMSWScore, &F::MMSWScoreClick},
                                {&W::MMSonaroPath, &F::MMSonaroPathClick},
                                {&W::MMEditorPath, &F::MMEditorPathClick},
                                {&W::MMmid2snrPath, &F::MMmid2snrPathClick},
                                {&W::MMVolume, &F::MMVolumeClick},
                                {&W::Contents1, &F::Contents1Click},
                                {&W::About1, &F::About1Click},
                                {&W::N2, &F::N2Click},
                                {&W::N3, &F::SBPauseClick},
                                {&W::N7, &F::SBNextClick},
                                {&W::N8, &F::SBBackClick},
                                {&W::PMPlay, &F::ListView1DblClick},
                                {&W::PMPlay2, &F::ListView1DblClick},
                                {&W::PMUp, &F::MMUpClick},
                                {&W::PMDown, &F::MMDownClick},
                                {&W::PMInsert, &F::PMInsertClick},
                                {&W::PMDelete, &F::MMDeleteClick},
                                {&W::PMDataEdit, &F::PMDataEditClick},
                                {&W::PMTrayPlay, &F::SBPlayClick},
                                {&W::PMTrayPause, &F::SBPauseClick},
                                {&W::PMTrayStop, &F::SBStopClick},
                                {&W::PMTrayBack, &F::SBBackClick},
                                {&W::PMTrayNext, &F::SBNextClick},
                                {&W::PMWindow, &F::PMWindowClick},
                                {&W::PMTrayExit, &F::MMExitClick}};

} // namespace

std::span<const ItemWire> itemWires()
{
    return kItemWires;
}

std::span<const ButtonWire> buttonWires()
{
    return kButtonWires;
}

} // namespace tunelet
