#include "management/ImportVer1Data.h"

#include "data/BookFolders.h"
#include "data/BookStartup.h"
#include "data/ModalForm.h"
#include "management/FormHenkan.h"
#include "management/FormOldDataInport.h"
#include "platform/ui/Dialogs.h"

int ImportVer1Data()
{
    QString oldFolder;
    {
        TFormOldDataInport chooser;
        const int result = ModalForms::exec(chooser);
        if (result != mrOk)
            return result;
        oldFolder = chooser.Folder();
    }
    QString name = NewBookName();
    // A cancelled name is no conversion: the callers take only mrOk for a book.
    if (!AskNewBookName(name) || name.isEmpty())
        return mrNo;
    TFormHenkan henkan;
    henkan.OldFolder = oldFolder;
    henkan.BvlLbNewName->setText(name);
    henkan.FormShow();
    return ModalForms::exec(henkan) == mrOk ? mrOk : mrNo;
}

void InstallVer1Import()
{
    ImportVer1DataHook = ImportVer1Data;
}
