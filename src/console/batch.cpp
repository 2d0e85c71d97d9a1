#include "console/batch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "console/descriptor.h"
#include "console/line_source.h"
#include "console/pipe_output.h"
#include "console/quiet.h"

namespace expreval {

namespace {

// The file opened for reading, or -1 once err has said why it cannot be. A
// directory opens, but its first read would fail: it is refused here.
Descriptor OpenFile(const std::string& name, std::ostream& err) {
    Descriptor file(open(name.c_str(), O_RDONLY | O_CLOEXEC));
    int error = file.Get() < 0 ? errno : 0;
    struct stat status {};
    if (error == 0 && fstat(file.Get(), &status) == 0 && S_ISDIR(status.st_mode))
        error = EISDIR;
    if (error == 0)
        return file;
    err << "expreval: " << name << " could not be opened: " << std::strerror(error) << '\n';
    return Descriptor();
}

// The lines of fd; the answers held back go out before each wait for more.
DescriptorLineSource ReadLinesOf(int fd, std::ostream& out, const Signals& signals) {
    return DescriptorLineSource(
        fd, [&out, fd] { FlushBeforeWaiting(out, fd); }, signals.wake);
}

// Answers the lines of source; false when it could not be read to its end,
// which err is told. name is the file's, empty for standard input.
bool AnswerFile(QuietAnswers& answers, DescriptorLineSource& source, std::string_view name,
                std::ostream& out, std::ostream& err) {
    answers.AnswerLines(source, name);
    if (!source.Failed())
        return true;
    out.flush();
    err << "expreval: " << (name.empty() ? "standard input" : name) << " could not be read\n";
    return false;
}

int ExitCode(const QuietAnswers& answers, bool read, std::ostream& out) {
    out.flush();
    return read && !answers.AnyFailed() && out ? 0 : 1;
}

}  // namespace

int RunQuietly(int fd, std::ostream& out, std::ostream& err, Session& session, Signals& signals,
               bool flushEveryLine) {
    QuietAnswers answers(out, err, session, &signals, flushEveryLine);
    DescriptorLineSource source = ReadLinesOf(fd, out, signals);
    const bool read = AnswerFile(answers, source, "", out, err);
    return ExitCode(answers, read, out);
}

std::optional<std::vector<Descriptor>> OpenInputs(const std::vector<Input>& inputs,
                                                  std::ostream& err) {
    std::vector<Descriptor> files;
    files.reserve(inputs.size());
    for (const Input& input : inputs) {
        const bool named = input.kind == Input::Kind::kFile && input.text != "-";
        files.push_back(named ? OpenFile(input.text, err) : Descriptor());
        if (named && files.back().Get() < 0)
            return std::nullopt;
    }
    return files;
}

int RunInputs(const std::vector<Input>& inputs, const std::vector<Descriptor>& files,
              std::ostream& out, std::ostream& err, Session& session, Signals& signals) {
    QuietAnswers answers(out, err, session, &signals, false);
    // Standard input given more than once goes on where the "." line before
    // left it: the lines already read after that one belong to the next "-".
    std::optional<DescriptorLineSource> standardInput;
    size_t expressions = 0;
    bool read = true;
    for (size_t i = 0; i < inputs.size() && read && !answers.Stopped(); ++i) {
        const Input& input = inputs[i];
        if (input.kind == Input::Kind::kExpression) {
            answers.Answer(input.text, {"", "expression", ++expressions});
        } else if (files[i].Get() < 0) {
            if (!standardInput || standardInput->Ended())
                standardInput.emplace(ReadLinesOf(STDIN_FILENO, out, signals));
            read = AnswerFile(answers, *standardInput, "", out, err);
        } else {
            DescriptorLineSource source = ReadLinesOf(files[i].Get(), out, signals);
            read = AnswerFile(answers, source, input.text, out, err);
        }
    }
    return ExitCode(answers, read, out);
}

}  // namespace expreval
