#include "data/BookStartup.h"

#include "data/DatMod.h"
#include "data/FormNewData.h"
#include "data/FormSelectData.h"
#include "data/FormStartData.h"
#include "data/ModalForm.h"
#include "platform/ui/Dialogs.h"

std::function<int()> ImportVer1DataHook;

bool StartFirstBook(TDatMod &dm)
{
    Q_UNUSED(dm);
    TFormNewData wizard;
    if (!wizard.SelectBaseFolder())
        return false;
    bool newBook = false;
    {
        TFormStartData start;
        start.NewBookChosen = &newBook;
        if (ModalForms::exec(start) != mrOk)
            return false;
    }
    if (newBook)
        return wizard.CreateNewBook();
    return ImportVer1DataHook && ImportVer1DataHook() == mrOk;
}

void ChooseBookAtStartup(TDatMod &dm)
{
    Q_UNUSED(dm);
    TFormSelectData chooser(nullptr, true);
    chooser.SetDetailMode(false);
    chooser.showModal();
}

void InstallBookStartup(TDatMod &dm)
{
    dm.OnStartFirstBook = StartFirstBook;
    dm.OnChooseBook = ChooseBookAtStartup;
}
