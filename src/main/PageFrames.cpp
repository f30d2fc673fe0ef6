#include "main/PageFrames.h"

#include "main/FrameDeru.h"
#include "main/FrameIri.h"
#include "main/FrameKouza.h"
#include "main/FrameMemoList.h"
#include "main/MainForm.h"
#include "management/FormFirstUse.h"
#include "management/FrameDataKanri.h"
#include "views/FrameTyuSyutu.h"
#include "views/FrameYosan.h"
#include "views/FrameNenSyusi.h"
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
    registerPage<TFrameIri>(pgIri);
    registerPage<TFrameDeru>(pgDeru);
    registerPage<TFrameKouza>(pgKouza);
    registerPage<TFrameYosan>(pgYosan);
    registerPage<TFrameMemoList>(pgNikki);
    registerPage<TFrameTyuSyutu>(pgTyusyutu);
    registerPage<TFrameKouzaSyukei>(pgTutyo);
    registerPage<TFrameDataKanri>(pgKanri);
    registerPage<TFrameNenSyusi>(pgSyukei);
    if (!TNenSyusiMeisai::JumpToDataNo)
        TNenSyusiMeisai::JumpToDataNo = [](int dataNo) { return MainForm && MainForm->JumpToDataNo(dataNo); };

    if (!TMainForm::RescueFrameFactory) {
        TMainForm::RescueFrameFactory = [](QWidget *parent) {
            auto *frame = new TFrameDataKanri(parent);
            frame->SetRescueMode(true);
            return frame;
        };
    }
    if (!TMainForm::ShowFirstUseNote)
        TMainForm::ShowFirstUseNote = [](QWidget *owner) { ::ShowFirstUseNote(owner); };
}
