#pragma once
// The recovery file. While a changed model is unsaved the window writes it to
// a file of its own in the user's state folder, so that a crash costs at most
// the last minute of work. The file is a model file followed by what a model
// file does not hold (hidden flags, links, inversion choices, the current
// body, the profile shown, the axis steps and the model's own file name), so
// that it can also be opened with "Load an old model". Each running program
// keeps its own file and holds a lock beside it for as long as it runs; a
// file whose lock nobody holds was left by a program that ended without
// removing it.
#include "display/workspace.h"

#include <QDateTime>
#include <QString>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// The bytes of a recovery file for ws, or nothing and the reason.
std::optional<std::string> recoveryBytes(const Workspace& ws, const QString& modelFile,
                                         std::string& reason);
// Replaces the model in ws by a recovery file's; ws is untouched and the
// reason returned when the model part is not sound. Damaged extras are left
// out one by one. modelFile receives the file the model was last kept in.
std::string restoreRecoveryBytes(Workspace& ws, std::string_view bytes, QString& modelFile);

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

private:
    bool lockOwn();

    QString folder_;
    QString file_;
    int lockFd_ = -1;
    std::map<QString, int> heldLocks_;   // files left behind, by path
};

}  // namespace corvane
