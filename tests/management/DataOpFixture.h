#pragma once

#include <memory>

#include <QtTest>

#include "BookFixture.h"
#include "data/DatMod.h"
#include "data/DatModSql.h"
#include "data/HimokuCache.h"
#include "data/Vocabulary.h"
#include "management/FormDataOperation.h"
#include "platform/db/Database.h"

// A book made from the shipped template, open with the data module's queries
// and category caches as the management page has them, and the data
// operations dialog over it.
class DataOpPlace : public BookFixture::BookPlace
{
protected:
    std::unique_ptr<TDatModSql> sql;
    std::unique_ptr<TFormDataOperation> form;

    Database &db() { return dm->MainDatabase; }

    // Opens the book without the dialog, so that a test can add lines first.
    bool openDataOpBook()
    {
        openPlace();
        QString folder = makeBook(QStringLiteral("家計簿"));
        if (folder.isEmpty())
            return false;
        dm->OnCheckHolidays = [] {};
        if (!dm->OpenBook(QStringLiteral("家計簿"), folder))
            return false;
        sql = std::make_unique<TDatModSql>(db());
        DatModSql = sql.get();
        LoadHimokuCaches(db());
        CurLockDate = QDate();
        return true;
    }
    void openDataOpForm()
    {
        form = std::make_unique<TFormDataOperation>(nullptr);
        form->setAttribute(Qt::WA_DeleteOnClose, false);
    }
    void closeDataOpBook()
    {
        form.reset();
        DatModSql = nullptr;
        sql.reset();
        CurLockDate = QDate();
        closePlace();
    }
};
