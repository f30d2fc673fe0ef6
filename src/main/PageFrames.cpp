#include "main/PageFrames.h"

#include "main/FrameDeru.h"
#include "main/FormCalclater.h"
#include "main/FormMemoRandum.h"
#include "main/FrameMemoList.h"
#include "main/FrameReserve.h"
#include "main/FormAutoRegister.h"
#include "main/MainForm.h"
#include "management/FormFirstUse.h"
#include "management/FrameDataKanri.h"
#include "views/FrameTyuSyutu.h"
#include "views/FrameYosan.h"
#include "views/FrameNenSyusi.h"
#include "views/FrameChart.h"
#include "views/FrameKouzaSyukei.h"

namespace {

template <class T> void registerPage(int pageNo)
{
    if (!TMainForm::HasPageFrame(pageNo))
        TMainForm::RegisterPageFrame<T>(pageNo);
}

} // namespace

void RegisterStandardPages()
{
    registerPage<TFrameDeru>(pgDeru);
    registerPage<TFrameYosan>(pgYosan);
    registerPage<TFrameMemoList>(pgNikki);
    registerPage<TFrameTyuSyutu>(pgTyusyutu);
    registerPage<TFrameKouzaSyukei>(pgTutyo);
    registerPage<TFrameDataKanri>(pgKanri);
    registerPage<TFrameNenSyusi>(pgSyukei);
    registerPage<TFrameChart>(pgChart);
    registerPage<TFrameReserve>(pgReserve);
    if (!TMainForm::OfferDueReservations)
        TMainForm::OfferDueReservations = [](QWidget *owner) { ::OfferDueReservations(owner); };
    if (!TNenSyusiMeisai::JumpToDataNo)
        TNenSyusiMeisai::JumpToDataNo = [](int dataNo) { return MainForm && MainForm->JumpToDataNo(dataNo); };

    if (!TMainForm::RescueFrameFactory) {
        TMainForm::RescueFrameFactory = [](QWidget *parent) {
            auto *frame = new TFrameDataKanri(parent);
            frame->SetRescueMode(true);
            return frame;
        };
    }
    if (!TMainForm::CalculatorFactory) {
        TMainForm::CalculatorFactory = [](QWidget *owner) { return new TFormCalclater(owner); };
        TMainForm::UnbindCalculator = [](QWidget *calculator) {
            if (auto *calc = qobject_cast<TFormCalclater *>(calculator))
                calc->SetTargetField(nullptr);
        };
    }
    if (!TMainForm::NotepadFactory)
        TMainForm::NotepadFactory = [](QWidget *owner) { return new TFormMemoRandum(owner); };
    if (!TMainForm::ShowFirstUseNote)
        TMainForm::ShowFirstUseNote = [](QWidget *owner) { ::ShowFirstUseNote(owner); };
}
