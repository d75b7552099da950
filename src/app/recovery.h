#pragma once
// The recovery file. While a changed model is unsaved the window writes it to
// a file of its own in the user's state folder, so that a crash costs at most
// the last minute of work. The file is a model file with its extras block, so
// that it can also be opened with "Load an old model"; its block adds the
// current body, the profile shown, the axis steps, the model's own file name
// and, last, a checksum over everything before it. Each running program
// keeps its own file and holds a lock beside it for as long as it runs; a
// file whose lock nobody holds was left by a program that ended without
// removing it.
#include "model/result.h"
#include "model/workspace.h"

#include <QDateTime>
#include <QString>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// The bytes of a recovery file for ws, or why it cannot hold it.
Result<std::string> recoveryBytes(const Workspace& ws, const QString& modelFile);
// Replaces the model in ws by a recovery file's; ws is untouched and the
// reason returned when the file is not sound or fails its checksum. Extras
// that do not fit are left out one by one, each with a sentence in notes.
// modelFile receives the file the model was last kept in.
std::string restoreRecoveryBytes(Workspace& ws, std::string_view bytes, QString& modelFile,
                                 std::vector<std::string>* notes = nullptr);

// Empty when bytes are a recovery file that can be restored as it was
// written, otherwise the reason it cannot.
std::string checkRecoveryBytes(std::string_view bytes);

class RecoveryFiles {
public:
    // Nothing is written to folder until the first write.
    explicit RecoveryFiles(const QString& folder);
    ~RecoveryFiles();   // the file stays: only remove() deletes it
    RecoveryFiles(const RecoveryFiles&) = delete;
    RecoveryFiles& operator=(const RecoveryFiles&) = delete;

    QString fileName() const { return file_; }
    bool exists() const;
    // Writes this program's file with the safe write; empty, or a sentence
    // saying why it could not.
    std::string write(const Workspace& ws, const QString& modelFile);
    void remove();

    struct Found {
        QString path;
        QDateTime written;
    };
    // Files left by programs that have ended, newest first. Each stays locked
    // by this program until it is removed with discard() (or this ends).
    std::vector<Found> leftBehind();
    void discard(const QString& path);
    // Moves a file left behind out of the way, beside it, as "<name>.damaged";
    // the new name, or "" when it could not be moved (it is then removed).
    QString setAside(const QString& path);

    // Removes what programs that have ended left in the folder besides their
    // files: temporaries of interrupted writes and locks without a file.
    // Returns how many files went.
    int removeLeftovers();

private:
    bool lockOwn();

    QString folder_;
    QString file_;
    int lockFd_ = -1;
    std::map<QString, int> heldLocks_;   // files left behind, by path
};

}  // namespace corvane
