#include "CommandLine.h"

#include "QtFill.h"
#include "QtSha1.h"
#include "TableTextFile.h"
#include "soundmoves/Document.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <cstdio>
#include <cstring>

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

void Say(const QString& message)
{
    std::fprintf(stderr, "zarnith: %s\n", message.toLocal8Bit().constData());
}

int Usage(const QString& message)
{
    Say(message);
    Say(QStringLiteral("see zarnith --help"));
    return UsageError;
}

QString Shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// The text --import reads: "-" is standard input, and only there.
QString ShownText(const QString& path)
{
    return path == QStringLiteral("-") ? QStringLiteral("standard input") : Shown(path);
}

QString Entries(int count)
{
    return count == 1 ? QStringLiteral("1 entry") : Fill(QStringLiteral("%1 entries"), count);
}

QString GameName(const GameInfo& game)
{
    return QString::fromUtf8(game.Name.data(), static_cast<qsizetype>(game.Name.size()));
}

QString Hex(std::uint32_t value)
{
    return QStringLiteral("0x") + QString::number(value, 16).toUpper();
}

// Why a file could not be opened: to be read, or (writing) replaced.
QString OpenReason(OpenError error, bool writing = false)
{
    switch (error) {
    case OpenError::Missing:
        return QStringLiteral("it does not exist");
    case OpenError::Permission:
        return writing ? QStringLiteral("it may not be written (it is read-only or locked)")
                       : QStringLiteral("you are not allowed to read it");
    case OpenError::NotRegularFile:
        return QStringLiteral("it is not a regular file");
    case OpenError::NameTooLong:
        return QStringLiteral("its name is too long for the system");
    case OpenError::None:
    case OpenError::Other:
        break;
    }
    return QStringLiteral("the system refused to open it");
}

// Opens the image at path as the window does, but repairs nothing; false, having said why, when
// it is no image of a supported game.
bool OpenSupported(Document& document, const QString& path)
{
    const Document::OpenResult opened = document.Open(path.toStdString(), [](int, std::uint16_t) { return false; });
    if (opened.Error != OpenError::None) {
        Say(QStringLiteral("%1: cannot be opened: %2").arg(Shown(path), OpenReason(opened.Error)));
        return false;
    }
    if (!opened.Supported) {
        if (opened.Code.empty())
            Say(QStringLiteral("%1: not an image of a supported game (it ends before a cartridge header's game code)")
                    .arg(Shown(path)));
        else
            Say(Fill(QStringLiteral("%1: not an image of a supported game (code %2, version byte %3)"), Shown(path),
                QString::fromStdString(PrintableCode(opened.Code)), opened.Revision));
        return false;
    }
    return true;
}

// As OpenSupported, and false, having said why, when its table may not be edited.
bool OpenImage(Document& document, const QString& path)
{
    if (!OpenSupported(document, path))
        return false;
    const QString shown = Shown(path);
    const RomAccess& rom = document.Rom();
    switch (document.Status()) {
    case TableStatus::Verified:
        return true;
    case TableStatus::NotLocated:
        Say(QStringLiteral("%1: the game's pointer at %2 does not point at a sound-move table inside the file")
                .arg(shown, Hex(document.Game()->TableWordAt)));
        break;
    case TableStatus::EndOfFile:
        if (!rom.TableWord())
            Say(QStringLiteral("%1: the file ends before the game's pointer at %2 to its sound-move table")
                    .arg(shown, Hex(document.Game()->TableWordAt)));
        else
            Say(QStringLiteral("%1: the file ends before its sound-move table does").arg(shown));
        break;
    case TableStatus::PastAddressSpace:
        Say(QStringLiteral("%1: the sound-move table at %2 runs past 0x1FFFFFF, where the cartridge's address space "
                           "ends")
                .arg(shown, Hex(rom.SoundMovesOffset())));
        break;
    case TableStatus::NoEndPair:
    case TableStatus::NotMoves:
        Say(QStringLiteral("%1: no sound-move table that can be read safely stands at %2")
                .arg(shown, Hex(rom.SoundMovesOffset())));
        break;
    }
    return false;
}

QString RefusalReason(const TextRefusal& refusal, const Document& document)
{
    const QString word = QString::fromStdString(refusal.Word);
    switch (refusal.Problem) {
    case TextProblem::TooLarge:
        return QStringLiteral("it is larger than any table's text (%1 bytes at most)").arg(MaxTableTextSize);
    case TextProblem::NotText:
        return QStringLiteral("a control character, or bytes that are not UTF-8 text");
    case TextProblem::UnknownName:
        return QStringLiteral("no move of this image is named \"%1\"").arg(word);
    case TextProblem::NotAMove:
        return Fill(
            QStringLiteral("%1 is not a move of this image (its moves are 1 to %2)"), word, document.LargestMove());
    case TextProblem::TooManyEntries:
        return Fill(QStringLiteral("more than %1 entries, one for each move this image names (numbers up to %2 are "
                                   "moves)"),
            document.Names().size(), document.LargestMove());
    case TextProblem::AmbiguousName: {
        QStringList moves;
        for (std::uint16_t id : refusal.Moves)
            moves << Fill(QStringLiteral("%1 (%2)"), QString::fromStdString(document.Names()[id - 1]), id);
        return Fill(QStringLiteral("spaces and hyphens aside, \"%1\" names more than one move of this image: %2"), word,
            moves.join(QStringLiteral(", ")));
    }
    case TextProblem::ByteOrderMark:
        return QStringLiteral("a byte-order mark (U+FEFF) stands inside the text, where only its start may hold one");
    case TextProblem::NoEntries:
        return QStringLiteral("it names no move");
    case TextProblem::None:
        break;
    }
    return {};
}

QString NoteText(const TextNote& note, const Document& document)
{
    const QString given = QString::fromStdString(note.Given);
    if (note.Kind == TextNoteKind::Windows1252)
        return QStringLiteral("the text is not UTF-8: it was read as Windows-1252");
    const QString name = QString::fromStdString(document.Names()[note.Id - 1]);
    switch (note.Kind) {
    case TextNoteKind::AmbiguousName:
        return Fill(QStringLiteral("\"%1\" names more than one move; move %2 was taken"), given, note.Id);
    case TextNoteKind::LooseName:
        return Fill(QStringLiteral("\"%1\" was read as %2 (move %3), spaces and hyphens aside"), given, name, note.Id);
    case TextNoteKind::NameMismatch:
    case TextNoteKind::Windows1252:
        break;
    }
    return Fill(QStringLiteral("move %1 is %2 in this image, not %3"), note.Id, name, given);
}

QString SaveRefusal(SaveStatus status)
{
    switch (status) {
    case SaveStatus::NotVerified:
        return QStringLiteral("its sound-move table could not be located safely");
    case SaveStatus::Replaced:
        return QStringLiteral("another file has taken its place");
    case SaveStatus::OtherImage:
        return QStringLiteral("another program has made it an image of another game or revision");
    case SaveStatus::Shorter:
        return QStringLiteral("it is now shorter than its sound-move table");
    case SaveStatus::PointerChanged:
        return QStringLiteral("another program has moved its sound-move table");
    case SaveStatus::ChangeKept:
        return QStringLiteral("another program has changed its sound-move table; that change is kept");
    case SaveStatus::ChangedWhileAsked:
        return QStringLiteral("another program changed the file meanwhile");
    case SaveStatus::NotMoves:
        return QStringLiteral("the longer table would have to move, but it holds entries that are not moves");
    case SaveStatus::NoFreeSpace:
        return QStringLiteral("the longer table does not fit in its place, and the file has no free space "
                              "(a run of 0xFF bytes) large enough for it");
    case SaveStatus::MoveFailed:
        return QStringLiteral("writing the moved table failed; the game's pointer was not changed, so the game "
                              "still reads the old table");
    case SaveStatus::WriteFailed:
        return QStringLiteral("writing failed; the file may be partly written");
    case SaveStatus::UnreadDeclined:
        return QStringLiteral("the game does not read its sound-move table");
    case SaveStatus::Saved:
    case SaveStatus::Moved:
    case SaveStatus::Grown:
    case SaveStatus::MoveDeclined:
        break;
    }
    return {};
}

int Info(const QString& file)
{
    Document document;
    if (!OpenSupported(document, file))
        return Failed;
    QtSha1 sha1;
    const ImageFacts facts = document.Facts(sha1);
    if (facts.Replaced) {
        Say(QStringLiteral("%1: another file has taken its place while it was read").arg(Shown(file)));
        return Failed;
    }
    for (const auto& [key, value] : FactLines(facts))
        std::printf("%s: %s\n", key.c_str(), value.c_str());
    if (std::fflush(stdout) != 0) {
        Say(QStringLiteral("the facts could not be written to standard output"));
        return Failed;
    }
    if (!facts.Read) {
        Say(QStringLiteral("%1: the file could not be read to its end, so its checksums are not known")
                .arg(Shown(file)));
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
    const PatchResult result = document.CreatePatch(unmodified.toStdString(), patch.toStdString(), &sha1);
    const QString shownPatch = Shown(patch);
    const QString shownSource = Shown(unmodified);
    if (result.NotReleaseSha1)
        Say(QStringLiteral("warning: %1 is not the unmodified release (its SHA-1 is not the release's); the patch "
                           "applies to that very file only")
                .arg(shownSource));
    const GameInfo& game = *document.Game();
    switch (result.Status) {
    case PatchStatus::Written:
        Say(Fill(QStringLiteral("%1: patch written (%2 bytes)"), shownPatch, result.Size));
        return Done;
    case PatchStatus::WrongGame: {
        const QString code = QString::fromLatin1(game.Code.data(), static_cast<qsizetype>(game.Code.size()));
        const GameInfo* found = result.FoundCode == game.Code
            ? FindGame(result.FoundCode, static_cast<std::uint8_t>(result.FoundRevision))
            : nullptr;
        if (found != nullptr)
            Say(Fill(QStringLiteral("%1 is %2 (code %3, version byte %4), another revision: the patch needs %5 "
                                    "(version byte %6); nothing was written"),
                shownSource, GameName(*found), code, result.FoundRevision,
                game.Revision == 0 ? GameName(game) + QStringLiteral(" (1.0)") : GameName(game), game.Revision));
        else if (result.FoundCode.empty())
            Say(Fill(QStringLiteral("%1: not an image of %2 (code %3, version byte %4): it ends before a cartridge "
                                    "header's game code; nothing was written"),
                shownSource, GameName(game), code, game.Revision));
        else
            Say(Fill(QStringLiteral("%1: not an image of %2 (code %3, version byte %4), but code %5, version byte "
                                    "%6; nothing was written"),
                shownSource, GameName(game), code, game.Revision,
                QString::fromStdString(PrintableCode(result.FoundCode)), result.FoundRevision));
        break;
    }
    case PatchStatus::Replaced:
        Say(QStringLiteral("%1: another file has taken its place; nothing was written").arg(Shown(file)));
        break;
    case PatchStatus::OverImage:
        Say(QStringLiteral("%1 is an image of a supported game, not a patch; nothing was written").arg(shownPatch));
        break;
    case PatchStatus::TooLarge:
        Say(Fill(QStringLiteral("%1 or %2 is larger than 256 MiB, the most a patch is made of; nothing was written"),
            shownSource, Shown(file)));
        break;
    case PatchStatus::ReadFailed:
        // An error is the unmodified image's, met opening it; otherwise reading either failed.
        if (result.Error == OpenError::None || result.Error == OpenError::Other)
            Say(QStringLiteral("%1 or %2 could not be read; nothing was written").arg(shownSource, Shown(file)));
        else
            Say(QStringLiteral("%1 could not be read: %2; nothing was written")
                    .arg(shownSource, OpenReason(result.Error)));
        break;
    case PatchStatus::SameFile:
        Say(QStringLiteral("%1 is one of the two images; nothing was written").arg(shownPatch));
        break;
    case PatchStatus::TargetRefused:
        Say(QStringLiteral("%1 may not be replaced: %2; nothing was written")
                .arg(shownPatch, OpenReason(result.Error, true)));
        break;
    case PatchStatus::CreateFailed:
        Say(QStringLiteral("%1: no new file could be created in its folder; nothing was written").arg(shownPatch));
        break;
    case PatchStatus::WriteFailed:
    case PatchStatus::NotOpen:
    case PatchStatus::Fits:
    case PatchStatus::Cancelled: // not asked for here
        Say(QStringLiteral("%1: writing the patch failed; no file was changed").arg(shownPatch));
        break;
    }
    return Failed;
}

int List(const QString& file)
{
    Document document;
    if (!OpenImage(document, file))
        return Failed;
    std::string text = document.ExportTable();
    if (!document.ReadByGame().Read()) {
        const std::string note = "# The game does not read this table: " + GamePathText(document.ReadByGame()) + "\n";
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
    const QString shownFile = Shown(file);
    const QString shownText = ShownText(textPath);
    if (document.IsReadOnly()) {
        Say(QStringLiteral("%1: the file is read-only; nothing was written").arg(shownFile));
        return Failed;
    }
    if (!document.ReadByGame().Read() && !allowUnread) {
        Say(Fill(QStringLiteral("%1: the game does not read this sound-move table: %2. Nothing was written; "
                                "--allow-unread allows that"),
            shownFile, QString::fromStdString(GamePathText(document.ReadByGame()))));
        return Failed;
    }
    TextReadError error = TextReadError::None;
    const std::optional<QByteArray> text = ReadTableTextFile(textPath, &error);
    if (!text) {
        const QString why = error == TextReadError::Missing ? QStringLiteral(": it does not exist")
            : error == TextReadError::NotFile               ? QStringLiteral(": it is neither a file nor a pipe")
                                                            : QString();
        Say(Fill(QStringLiteral("%1: cannot be read%2; nothing was written"), shownText, why));
        return Failed;
    }
    const ImportResult imported = document.Import(std::string_view(text->constData(), text->size()));
    for (const TextNote& note : imported.Notes)
        Say(note.Line > 0 ? Fill(QStringLiteral("%1:%2: note: %3"), shownText, note.Line, NoteText(note, document))
                          : Fill(QStringLiteral("%1: note: %2"), shownText, NoteText(note, document)));
    switch (imported.Status) {
    case ImportStatus::Imported:
        break;
    case ImportStatus::Unchanged:
        Say(QStringLiteral("%1: the table already holds these moves; nothing was written").arg(shownFile));
        return Done;
    case ImportStatus::Refused: {
        const TextRefusal& refusal = imported.Refusal;
        const QString where = refusal.Line > 0 ? Fill(QStringLiteral("%1:%2"), shownText, refusal.Line) : shownText;
        Say(QStringLiteral("%1: %2; nothing was written").arg(where, RefusalReason(refusal, document)));
        return Failed;
    }
    case ImportStatus::NotEditable:
        return Failed;
    }

    // What Save would have done, had it been allowed: told when it was not.
    QString wanted;
    const SaveQuestions questions {
        [] { return false; },
        [&](std::uint32_t to, std::uint32_t pointerAt) {
            wanted = QStringLiteral("it would have to move to %1, with the game's pointer at %2 pointing to it")
                         .arg(Hex(to), Hex(pointerAt));
            return allowMove;
        },
        [&](std::uint32_t start, std::uint32_t end) {
            wanted
                = QStringLiteral("it would have to grow where it stands, over %1 to %2").arg(Hex(start), Hex(end - 1));
            return allowMove;
        },
        [&] { return allowUnread; },
    };
    const SaveStatus status = document.Save(questions);
    const TablePlace& place = document.Place();
    const QString entries = Entries(document.Table().Count());
    switch (status) {
    case SaveStatus::Saved:
        Say(QStringLiteral("%1: saved %2 at %3").arg(shownFile, entries, Hex(place.Offset)));
        return Done;
    case SaveStatus::Moved:
        Say(QStringLiteral("%1: saved %2, moved to %3").arg(shownFile, entries, Hex(place.Offset)));
        return Done;
    case SaveStatus::Grown:
        Say(QStringLiteral("%1: saved %2, grown where it stands at %3").arg(shownFile, entries, Hex(place.Offset)));
        return Done;
    case SaveStatus::MoveDeclined:
        Say(QStringLiteral("%1: the table of %2 does not fit in its place: %3. Nothing was written; "
                           "--allow-move allows that")
                .arg(shownFile, entries, wanted));
        return Failed;
    default:
        Say(QStringLiteral("%1: not saved: %2").arg(shownFile, SaveRefusal(status)));
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
