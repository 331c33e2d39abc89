#pragma once

// How a failure of the database reaches the user: one plain sentence that
// names the file and SQLite's reason, never a raw statement.

#include <QString>

#include <exception>

// The result code a message of the database layer names; -1 when none.
int sqliteResultCode(const QString& message);

// SQLite's reason in such a message: the text of its result code ("the disk
// is full" for a full one), the reason an open failed, or else the message's
// first line.
QString sqliteReason(const QString& message);

// True when another connection holds the database for now, so that waiting
// and trying again helps.
bool isDatabaseBusy(const QString& message);

// "The database "<DBPath>" could not be written: <reason>", or "read" when
// the failed statement was a query.
QString databaseFailureText(const QString& message);

// "The database "<path>" could not be read: <reason>", for a read that
// failed in any way: SQLite's reason, or the failure's own as failureText
// gives it.
QString databaseReadFailureText(const QString& path, const std::exception& error);

// What the user is told of a failure: a database error as the sentence of
// databaseFailureText, a failed allocation as "out of memory", any other
// error as its message.
QString failureText(const std::exception& error);

// Tells the user on standard error and, without waiting for it, in an error
// box on the window thread.
void tellDatabaseTrouble(const QString& text);

// The text of a box about the failure, followed, the first time in this run
// of the program that any thread meets a damaged database (a file that reads
// as malformed or as no database at all, which no retry mends), by the notice
// that tells the user so and that the file will be set aside at the next
// start. Who gets the notice must tell it: it is given once.
QString withDamageNotice(const QString& text, const std::exception& error);

// What a box tells of a failure: failureText, with the damage notice.
QString failureTextToTell(const std::exception& error);

// A worker's failure, told as tellDatabaseTrouble does in the words of
// failureTextToTell.
void tellFailure(const std::exception& error);

// Tells the damage notice, if this failure is the first damage met, as
// tellDatabaseTrouble does; for a worker whose own report of the failure may
// go unseen (a tray balloon, or standard error alone while the window is
// hidden).
void tellIfDatabaseDamaged(const std::exception& error);

// Counts the damage notice as told: the damage was told in other words.
void noteDamageTold();

// Forgets that the damage notice was told, as a new start of the program
// does; tests run many starts in one process.
void forgetDamageNotice();
