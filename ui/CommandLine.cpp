#include "CommandLine.h"

#include "Messages.h"
#include "QtSha1.h"
#include "TableTextFile.h"
#include "soundmoves/Document.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace zarnith {

namespace {

constexpr int Done = 0;
constexpr int Failed = 1;
constexpr int UsageError = 2;

const QString InfoOption = QStringLiteral("info");
const QString ListOption = QStringLiteral("list");
const QString PatchOption = QStringLiteral("patch");
const QString ImportOption = QStringLiteral("import");
const QString AllowMoveOption = QStringLiteral("allow-move");
const QString AllowUnreadOption = QStringLiteral("allow-unread");

// The command line speaks English, in the window's words.
const Messages& Words()
{
    static const Messages words(FilledLanguageTable(), English);
    return words;
}

// Each line of message (UTF-8) after the program's name; the blank lines that part a message
// box's paragraphs are left out.
void Say(std::string_view message)
{
    for (std::size_t start = 0; start < message.size();) {
        const std::size_t end = std::min(message.find('\n', start), message.size());
        if (end > start) {
            const QString line = QString::fromUtf8(message.data() + start, static_cast<qsizetype>(end - start));
            std::fprintf(stderr, "zarnith: %s\n", line.toLocal8Bit().constData());
        }
        start = end + 1;
    }
}

void Say(const QString& message)
{
    Say(std::string_view(message.toStdString()));
}

int Usage(const QString& message)
{
    Say(message);
    Say(QStringLiteral("see zarnith --help"));
    return UsageError;
}

std::string Shown(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdString();
}

// The text --import reads: "-" is standard input, and only there.
std::string ShownText(const QString& path)
{
    return path == QStringLiteral("-") ? std::string("standard input") : Shown(path);
}

// A message that does not name the file it is about, after that file's name.
std::string About(std::string_view shown, std::string_view message)
{
    return std::string(shown) + ": " + std::string(message);
}

// What the window would have asked, and how the command line answered it: no, unless option.
void Declined(std::string_view shown, const std::string& question, const char* option)
{
    Say(About(shown, question));
    Say(std::string("not without --") + option + ": nothing was written");
}

// Opens the image at path as the window does, but repairs nothing; nothing, having said why
// as the window does, when it is no image of a supported game.
std::optional<LoadResult> OpenSupported(Document& document, const QString& path)
{
    const Document::OpenResult opened = document.Open(path.toStdString(), [](int, std::uint16_t) { return false; });
    if (!opened.Supported) {
        Say(Words().OpenRefusal(opened, Shown(path)));
        return std::nullopt;
    }
    return opened.Load;
}

// As OpenSupported, and false, having said why, when its table may not be edited.
bool OpenImage(Document& document, const QString& path)
{
    const std::optional<LoadResult> load = OpenSupported(document, path);
    if (!load)
        return false;
    if (load->Status == TableStatus::Verified)
        return true;
    for (const std::string& report : Words().LoadReports(document, *load))
        Say(About(Shown(path), report));
    return false;
}

int Info(const QString& file)
{
    Document document;
    if (!OpenSupported(document, file))
        return Failed;
    QtSha1 sha1;
    const ImageFacts facts = document.Facts(sha1);
    if (facts.Replaced) {
        Say(Words().ImageInformation(facts, Shown(file)));
        return Failed;
    }
    for (const auto& [key, value] : FactLines(facts, Words().PathReason(facts.ReadByGame)))
        std::printf("%s: %s\n", key.c_str(), value.c_str());
    if (std::fflush(stdout) != 0) {
        Say(QStringLiteral("the facts could not be written to standard output"));
        return Failed;
    }
    if (!facts.Read) {
        Say(QStringLiteral("%1: the file could not be read to its end, so its checksums are not known")
                .arg(QDir::toNativeSeparators(file)));
        return Failed;
    }
    return Done;
}

int Patch(const QString& unmodified, const QString& file, const QString& patch)
{
    Document document;
    if (!OpenSupported(document, file))
        return Failed;
    QtSha1 sha1;
    PatchResult result = document.CreatePatch(unmodified.toStdString(), patch.toStdString(), &sha1);
    const std::string shownSource = Shown(unmodified);
    if (result.NotReleaseSha1)
        Say("warning: " + Words().PatchNotRelease(shownSource, false));
    // Nothing here stops a patch or checks its source alone: any other end is a failed write.
    if (result.Status == PatchStatus::Cancelled || result.Status == PatchStatus::Fits
        || result.Status == PatchStatus::NotOpen)
        result.Status = PatchStatus::WriteFailed;
    const std::string report = Words().PatchReport(result, document, shownSource, Shown(patch));
    // A refusal's reason is of one of the three files; the report names it where the window's
    // dialog did.
    switch (result.Status) {
    case PatchStatus::Written:
    case PatchStatus::WrongGame:
    case PatchStatus::TooLarge:
        Say(report);
        break;
    case PatchStatus::ReadFailed:
        Say(result.Error == OpenError::None || result.Error == OpenError::Other || result.Error == OpenError::Permission
                ? report
                : About(shownSource, report));
        break;
    case PatchStatus::Replaced:
        Say(About(Shown(file), report));
        break;
    default:
        Say(About(Shown(patch), report));
        break;
    }
    return result.Status == PatchStatus::Written ? Done : Failed;
}

int List(const QString& file)
{
    Document document;
    if (!OpenImage(document, file))
        return Failed;
    std::string text = document.ExportTable();
    if (!document.ReadByGame().Read()) {
        const std::string note
            = "# The game does not read this table: " + Words().PathReason(document.ReadByGame()) + "\n";
        text.insert(text.find('\n') + 1, note);
    }
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
        Say(QStringLiteral("the table could not be written to standard output"));
        return Failed;
    }
    return Done;
}

int Import(const QString& textPath, const QString& file, bool allowMove, bool allowUnread)
{
    Document document;
    if (!OpenImage(document, file))
        return Failed;
    const Messages& words = Words();
    const std::string shownFile = Shown(file);
    const std::string shownText = ShownText(textPath);
    if (document.IsReadOnly()) {
        Say(Fill(words.Text(Row::NotSaved), shownFile, words.Text(Row::ReasonPermission)));
        return Failed;
    }
    if (!document.ReadByGame().Read() && !allowUnread) {
        Declined(shownFile, words.Question(SaveQuestion::Unread, 0, 0, document), "allow-unread");
        return Failed;
    }
    const std::optional<QByteArray> text = ReadTableTextFile(textPath);
    if (!text) {
        Say(words.ImportReadFailed(shownText));
        return Failed;
    }
    const ImportResult imported = document.Import(std::string_view(text->constData(), text->size()));
    switch (imported.Status) {
    case ImportStatus::Imported:
    case ImportStatus::Unchanged:
        for (const std::string& note : words.NoteLines(imported.Notes, document))
            Say(About(shownText, note));
        break;
    case ImportStatus::Refused:
    case ImportStatus::NotEditable:
        break;
    }
    switch (imported.Status) {
    case ImportStatus::Imported:
        break;
    case ImportStatus::Unchanged:
        Say(About(shownFile, words.ImportReport(imported, document, shownText)));
        return Done;
    case ImportStatus::Refused: // with the notes of the lines read before the refusal
        Say(About(shownFile, words.ImportReport(imported, document, shownText)));
        return Failed;
    case ImportStatus::NotEditable:
        return Failed;
    }

    // The question Save would have asked, told when the answer was no.
    std::string asked;
    const SaveQuestions questions {
        [] { return false; },
        [&](std::uint32_t to, std::uint32_t pointerAt) {
            asked = words.Question(SaveQuestion::Move, to, pointerAt, document);
            return allowMove;
        },
        [&](std::uint32_t start, std::uint32_t end) {
            asked = words.Question(SaveQuestion::Grow, start, end, document);
            return allowMove;
        },
        [&] { return allowUnread; },
    };
    const SaveStatus status = document.Save(questions);
    switch (status) {
    case SaveStatus::Saved:
    case SaveStatus::Moved:
    case SaveStatus::Grown:
        Say(About(shownFile, words.SaveReport(status, document, shownFile)));
        return Done;
    case SaveStatus::MoveDeclined:
        Declined(shownFile, asked, "allow-move");
        return Failed;
    case SaveStatus::UnreadDeclined:
        Declined(shownFile, words.Question(SaveQuestion::Unread, 0, 0, document), "allow-unread");
        return Failed;
    default: // the report names the file
        Say(words.SaveReport(status, document, shownFile));
        return Failed;
    }
}

} // namespace

void DescribeCommandLine(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "Edits the sound-move table of generation III Pok\u00E9mon ROM images (Ruby, Sapphire, Emerald, Fire Red, "
        "Leaf Green, German Ruby and Sapphire).\n\n"
        "Commands, run without a window:\n"
        "  zarnith --info FILE                        the facts of the image\n"
        "  zarnith --list FILE                        the table as text\n"
        "  zarnith --import TEXT FILE [--allow-move] [--allow-unread]\n"
        "                                             the table from text, saved\n"
        "  zarnith --patch UNMODIFIED FILE OUT.bps    a BPS patch from the unmodified image to FILE\n"
        "Their messages go to standard error. Exit status: 0 done, 1 refused or failed (nothing written), "
        "2 usage error."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(QCommandLineOption(InfoOption,
        QStringLiteral("Prints the facts of FILE that Help > Image Information shows (game, size, CRC32, SHA-1, "
                       "unmodified or not, where the table and the names stand, whether the game reads the "
                       "table), one 'key: value' a line.")));
    parser.addOption(QCommandLineOption(ListOption,
        QStringLiteral("Prints the sound-move table of FILE as File > Export Table writes it: a comment line, then "
                       "one entry a line, its number and name; a second comment line when the game does not read "
                       "the table.")));
    parser.addOption(QCommandLineOption(ImportOption,
        QStringLiteral("Makes the table of FILE the one in the text file TEXT (- for standard input), as File > "
                       "Import Table does, and saves it by Save's rules."),
        QStringLiteral("TEXT")));
    parser.addOption(QCommandLineOption(AllowMoveOption,
        QStringLiteral("With --import: lets a table that no longer fits grow where it stands or move to free "
                       "space.")));
    parser.addOption(QCommandLineOption(AllowUnreadOption,
        QStringLiteral("With --import: writes the table even where the game's battle code, changed by another "
                       "tool, no longer leads to it (edits may then have no effect in the game).")));
    parser.addOption(QCommandLineOption(PatchOption,
        QStringLiteral("Writes OUT.bps, the BPS patch of File > Create Patch from the unmodified image UNMODIFIED "
                       "to FILE. An image of another game or revision is refused; one whose SHA-1 is not the "
                       "release's is a warning."),
        QStringLiteral("UNMODIFIED")));
    parser.addPositionalArgument(QStringLiteral("FILE"),
        QStringLiteral("ROM image (*.gba) to open in the window, or for a command to read or write."),
        QStringLiteral("[FILE]"));
    parser.addPositionalArgument(
        QStringLiteral("OUT.bps"), QStringLiteral("With --patch: the patch to write."), QStringLiteral("[OUT.bps]"));
}

bool AsksForCommand(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (std::strcmp(argument, "--") == 0)
            return false;
        for (const QString& name :
            { InfoOption, ListOption, ImportOption, AllowMoveOption, AllowUnreadOption, PatchOption }) {
            const QByteArray option = "--" + name.toLatin1();
            if (std::strncmp(argument, option.constData(), option.size()) == 0
                && (argument[option.size()] == '\0' || argument[option.size()] == '='))
                return true;
        }
    }
    return false;
}

std::optional<int> AnswerArguments(QCommandLineParser& parser, const QStringList& arguments)
{
    if (!parser.parse(arguments))
        return Usage(parser.errorText());
    // --help-all lists Qt's own options too, which only process() knows; it ends the program.
    if (parser.isSet(QStringLiteral("help-all")))
        parser.process(arguments);
    const bool help = parser.isSet(QStringLiteral("help"));
    const bool version = parser.isSet(QStringLiteral("version"));
    if ((help || version) && (parser.optionNames().size() > 1 || !parser.positionalArguments().isEmpty()))
        return Usage(QStringLiteral("--help and --version go alone"));
    if (help) {
        std::fputs(parser.helpText().toLocal8Bit().constData(), stdout);
        return Done;
    }
    if (version) {
        std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()),
            qPrintable(QCoreApplication::applicationVersion()));
        return Done;
    }
    return std::nullopt;
}

std::optional<int> RunCommandLine(int& argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    DescribeCommandLine(parser);
    if (const std::optional<int> answered = AnswerArguments(parser, QCoreApplication::arguments()))
        return answered;

    const QStringList files = parser.positionalArguments();
    int commands = 0;
    for (const QString& name : { InfoOption, ListOption, ImportOption, PatchOption })
        commands += parser.isSet(name) ? 1 : 0;
    if (commands > 1)
        return Usage(QStringLiteral("one command at a time: --info, --list, --import or --patch"));
    if (parser.isSet(AllowMoveOption) && !parser.isSet(ImportOption))
        return Usage(QStringLiteral("--allow-move goes with --import"));
    if (parser.isSet(AllowUnreadOption) && !parser.isSet(ImportOption))
        return Usage(QStringLiteral("--allow-unread goes with --import"));
    const auto expect = [&files](qsizetype count) { return files.size() == count; };
    if (parser.isSet(InfoOption))
        return expect(1) ? Info(files[0]) : Usage(QStringLiteral("--info takes one image: zarnith --info FILE"));
    if (parser.isSet(ListOption))
        return expect(1) ? List(files[0]) : Usage(QStringLiteral("--list takes one image: zarnith --list FILE"));
    if (parser.isSet(ImportOption)) {
        if (!expect(1))
            return Usage(QStringLiteral("--import takes a text file and one image: zarnith --import TEXT FILE"));
        return Import(
            parser.value(ImportOption), files[0], parser.isSet(AllowMoveOption), parser.isSet(AllowUnreadOption));
    }
    if (parser.isSet(PatchOption)) {
        if (!expect(2))
            return Usage(QStringLiteral("--patch takes the unmodified image, the image and the patch to write: "
                                        "zarnith --patch UNMODIFIED FILE OUT.bps"));
        return Patch(parser.value(PatchOption), files[0], files[1]);
    }
    return std::nullopt;
}

} // namespace zarnith
