#pragma once

#include <functional>

#include <QString>

class Database;

// Runs `work` as one immediate transaction of `db`: committed only when all
// of it went through, rolled back otherwise. A refusal of the engine or of the
// record numbers returns false with the reason as the user reads it in `why`
// (when given); any other exception passes on after the rollback.
bool SaveInTransaction(Database &db, const std::function<void()> &work, QString *why);
