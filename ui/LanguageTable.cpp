#include "LanguageTable.h"

namespace zarnith {

namespace {

struct AboutPieces
{
    const char* Name;
    const char* Version;
    const char* Author;
    const char* Date;
    const char* Description;
    const char* WhereToFind;
};

std::string ComposeAbout(const AboutPieces& p)
{
    return std::string(p.Name) + '\n' + p.Version + '\n' + p.Author + '\n' + p.Date + "\n\n" + p.Description + "\n\n"
        + p.WhereToFind + ' ' + HomePage() + ".\n\n";
}

} // namespace

std::string HomePage()
{
    return ZARNITH_HOMEPAGE;
}

std::string FillValues(std::string_view text, const std::string* values, std::size_t count)
{
    std::string filled;
    filled.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (text[i] == '%' && next >= '1' && next <= '9' && static_cast<std::size_t>(next - '1') < count) {
            filled += values[next - '1'];
            ++i;
        } else {
            filled += text[i];
        }
    }
    return filled;
}

const LanguageStrings& FilledLanguageTable()
{
    static const LanguageStrings table = [] {
        LanguageStrings strings;
        InitLanguageTable(strings);
        return strings;
    }();
    return table;
}

void InitLanguageTable(LanguageStrings& table)
{
    auto set = [&](int row, const char* english, const char* french) {
        table[row * 2 + English] = english;
        table[row * 2 + French] = french;
    };
    // In captions "&" marks the mnemonic letter; the items of one menu (its submenus among them)
    // each have a letter of their own, in both languages.
    set(Row::File, "&File", "&Fichier");
    set(Row::Exit, "E&xit", "&Quitter");
    set(Row::Open, "&Open", "&Ouvrir");
    set(Row::Close, "&Close", "&Fermer");
    set(Row::Save, "&Save", "&Sauvegarder");
    set(Row::Options, "&Options", "&Options");
    set(Row::Language, "&Language", "&Langue");
    set(Row::Help, "&Help", "&Aide");
    set(Row::About, "&About", "à &Propos");
    set(Row::VersionsCompatible, "&Versions Compatible", "&Versions Compatibles");
    set(Row::AboutCaption, "About", "à Propos");
    set(Row::VersionsCaption, "Versions Compatible", "Versions Compatibles");
    table[Row::AboutText * 2 + English] = ComposeAbout({ "Zarnith", "Version 1.00", "By Tobrin", "November 27th, 2009",
        "This program edits the sound-based moves of a generation III Pokémon game.",
        "New versions of this program (and old ones too) can be found at" });
    table[Row::AboutText * 2 + French] = ComposeAbout({ "Zarnith", "Version 1.00", "Par Tobrin", "27 Novembre 2009", "",
        "Les nouvelles versions de cette programme (mais aussi les anciennes) peuvent être trouvées à" });
    set(Row::VersionsText, "English - Ruby, Sapphire, Emerald, Fire Red, and Leaf Green\nGerman - Ruby, Sapphire",
        "Anglais, Français - Rubis, Saphir, Emeraude, Rouge Feu, et Vert Feuille\nAllemand - Rubis, Saphir");
    set(Row::ChangeMove, "Change Move", "Changer l'Attaque");
    set(Row::InsertMove, "Insert New Move", "Insérer une Nouvelle Attaque");
    set(Row::DeleteMove, "Delete Move", "Supprimer l'Attaque");
    set(Row::SaveFailed,
        "%1 could not be saved: writing to it failed. It may be partly written; check it before using it. "
        "Your edits are still open.",
        "%1 n'a pas pu être sauvegardée : l'écriture a échoué. Elle est peut-être écrite en partie; "
        "vérifiez-la avant de l'utiliser. Vos modifications sont toujours ouvertes.");
    set(Row::OpenFailed, "%1 could not be opened: %2", "%1 n'a pas pu être ouvert : %2");
    set(Row::AlreadyOpen,
        "There's already a file open. Are you sure you want to open another? Any data not saved will be lost.",
        "Un fichier est déja ouvert. Êtes-vous sûr de vouloir ouvrir un autre? Toutes les données non "
        "sauvegardées seront perdues.");
    set(Row::NotSupported,
        "Sorry, but the rom you chose isn't supported by this program yet, or isn't a generation III Pokémon rom.",
        "Désolé, mais la rom que vous avez choisie n'est pas compatible avec cette programme encore, ou n'est pas "
        "une rom Pokémon de la génération GBA.");
    set(Row::Saved, "The file was successfully saved!", "La rom a bien été sauvegardée!");
    set(Row::RepairQuestion,
        "Entry %1 of the sound-move table holds %2, which is not a valid move: the entry is corrupted. Do you want "
        "the program to fix it?",
        "L'entrée %1 de la table des attaques sonores contient %2, qui n'est pas une attaque valide : l'entrée est "
        "corrompue. Voulez-vous que le programme la répare?");
    set(Row::ReasonMissing, "it does not exist.", "il n'existe pas.");
    set(Row::ReasonPermission, "you are not allowed to write to it (it may be read-only or locked).",
        "vous n'avez pas le droit d'y écrire (il est peut-être en lecture seule ou verrouillé).");
    set(Row::ReasonNotRegularFile, "it is not a regular file.", "ce n'est pas un fichier ordinaire.");
    set(Row::ReasonOther, "the system refused to open it.", "le système a refusé de l'ouvrir.");
    set(Row::RepairFailed,
        "A corrupted entry could not be repaired because the file could not be written. The entry was left as it "
        "was read, and loading went on.",
        "Une entrée corrompue n'a pas pu être réparée car la rom n'a pas pu être écrite. L'entrée est restée telle "
        "qu'elle a été lue, et le chargement a continué.");
    set(Row::Attention, "Attention", "Attention");
    set(Row::Warning, "Warning", "Alerte");
    set(Row::ErrorCaption, "Error", "Erreur");
    set(Row::EndedEarly,
        "The file ends before its sound-move table does: it is shorter than a rom of this game. What could be "
        "read is shown for viewing only, and nothing will be written to the file.",
        "La rom se termine avant sa table des attaques sonores : elle est plus courte qu'une rom de ce jeu. Ce qui "
        "a pu être lu est affiché pour consultation seulement, et rien ne sera écrit dans la rom.");
    set(Row::UnexpectedError, "An unexpected error occurred: %1", "Une erreur inattendue s'est produite : %1");
    set(Row::Edit, "&Edit", "&Édition");
    set(Row::Undo, "&Undo", "&Annuler");
    set(Row::Redo, "&Redo", "&Rétablir");
    set(Row::AddMove, "&Add Move", "A&jouter une Attaque");
    set(Row::RemoveMove, "Re&move Move", "Re&tirer l'Attaque");
    set(Row::SaveChanges, "The sound-move table has changes that are not saved. Do you want to save them first?",
        "La table des attaques sonores a des modifications non sauvegardées. Voulez-vous les sauvegarder d'abord?");
    set(Row::NotSaved, "%1 was not saved, and nothing was written to it: %2",
        "%1 n'a pas été sauvegardée, et rien n'y a été écrit : %2");
    set(Row::ReasonReplaced, "another file has taken its place since it was opened.",
        "un autre fichier a pris sa place depuis son ouverture.");
    set(Row::ReasonShorter, "it is now shorter than its sound-move table.",
        "elle est maintenant plus courte que sa table des attaques sonores.");
    set(Row::ReasonNotVerified, "its sound-move table could not be located safely.",
        "sa table des attaques sonores n'a pas pu être localisée sûrement.");
    set(Row::ReasonPointerChanged,
        "another program has moved its sound-move table since it was opened. Open the file again to edit the "
        "table the game reads.",
        "un autre programme a déplacé sa table des attaques sonores depuis son ouverture. Ouvrez la rom de "
        "nouveau pour modifier la table que le jeu lit.");
    set(Row::ReasonNoFreeSpace,
        "the longer table no longer fits in its place, and the file has no free space (a run of 0xFF bytes) "
        "large enough for it.",
        "la table plus longue ne tient plus à sa place, et la rom n'a pas d'espace libre (une suite d'octets 0xFF) "
        "assez grand pour elle.");
    set(Row::ReasonChangeKept, "the other program's change was kept. Your edits are still open.",
        "la modification de l'autre programme a été gardée. Vos modifications sont toujours ouvertes.");
    set(Row::ReasonNotMoves,
        "the longer table no longer fits in its place and would have to be moved, but it holds entries that are "
        "not moves. Change or remove them first.",
        "la table plus longue ne tient plus à sa place et devrait être déplacée, mais elle contient des entrées "
        "qui ne sont pas des attaques. Changez-les ou retirez-les d'abord.");
    set(Row::ChangedOnDisk,
        "Another program has changed the sound-move table in this file since it was opened. Do you want to "
        "overwrite that change with your table?",
        "Un autre programme a modifié la table des attaques sonores de cette rom depuis son ouverture. Voulez-vous "
        "remplacer cette modification par votre table?");
    set(Row::MoveQuestion,
        "The table no longer fits in its place. It will be written at 0x%1 and the game's pointer at 0x%2 will "
        "point to it. Continue?",
        "La table ne tient plus à sa place. Elle sera écrite à 0x%1 et le pointeur du jeu à 0x%2 pointera vers "
        "elle. Continuer?");
    set(Row::Moved, "The file was successfully saved! The sound-move table now stands at 0x%1.",
        "La rom a bien été sauvegardée! La table des attaques sonores se trouve maintenant à 0x%1.");
    set(Row::MoveFailed,
        "The table could not be moved in %1: writing it failed. The game's pointer was not changed, so the game still "
        "reads the table where it was. Your edits are still open.",
        "La table n'a pas pu être déplacée dans %1 : l'écriture a échoué. Le pointeur du jeu n'a pas été modifié, donc "
        "le "
        "jeu lit toujours la table à sa place. Vos modifications sont toujours ouvertes.");
    set(Row::NotLocated,
        "This image's code no longer points at a sound-move table inside the file (the pointer at 0x%1 holds "
        "0x%2). The image is shown for viewing only, and nothing will be written to it.",
        "Le code de cette rom ne pointe plus vers une table des attaques sonores dans le fichier (le pointeur à "
        "0x%1 contient 0x%2). La rom est affichée pour consultation seulement, et rien n'y sera écrit.");
    set(Row::NotVerified,
        "This image's code points at 0x%1, but no sound-move table that can be read safely stands there. The "
        "image is shown for viewing only, and nothing will be written to it.",
        "Le code de cette rom pointe vers 0x%1, mais aucune table des attaques sonores lisible sûrement ne s'y "
        "trouve. La rom est affichée pour consultation seulement, et rien n'y sera écrit.");
    set(Row::MoveTooltip, "Move %1", "Attaque %1");
    set(Row::TableAt, "table at 0x%1", "table à 0x%1");
    set(Row::NamesAt, "names at 0x%1", "noms à 0x%1");
    set(Row::SaveAs, "Save &As…", "Sauvegarder so&us…");
    set(Row::OpenRecent, "Open &Recent", "Fichiers &récents");
    set(Row::ClearRecent, "&Clear List", "&Effacer la liste");
    set(Row::ReadOnly, "read-only", "lecture seule");
    set(Row::RecentMissing, "%1 no longer exists. It was removed from the recent files.",
        "%1 n'existe plus. Il a été retiré des fichiers récents.");
    set(Row::NotSavedAs, "The file was not saved as %1, and neither file was changed: %2",
        "La rom n'a pas été sauvegardée sous %1, et aucun des deux fichiers n'a été modifié : %2");
    set(Row::ReasonCreateFailed,
        "no new file could be created in that folder (it may not exist, or you may not be allowed to write there).",
        "aucun nouveau fichier n'a pu être créé dans ce dossier (il n'existe peut-être pas, ou vous n'avez pas le "
        "droit d'y écrire).");
    set(Row::ReasonCopyFailed,
        "copying the file failed: it could not be read, or the copy could not be written (the disk may be full).",
        "la copie a échoué : la rom n'a pas pu être lue, ou la copie n'a pas pu être écrite (le disque est peut-être "
        "plein).");
    set(Row::ReasonCopyWriteFailed, "writing the table into the copy failed (the disk may be full).",
        "l'écriture de la table dans la copie a échoué (le disque est peut-être plein).");
    set(Row::ReasonReplaceFailed, "the copy could not be put in place of the chosen file.",
        "la copie n'a pas pu prendre la place du fichier choisi.");
    set(Row::ReopenFailed, "The file was saved as %1, but it could not be opened again. The original file stays open.",
        "La rom a été sauvegardée sous %1, mais elle n'a pas pu être rouverte. Le fichier d'origine reste ouvert.");
    set(Row::MoveListLength, "%1 moves", "%1 attaques");
    set(Row::GrowQuestion,
        "The table no longer fits in its place, but the bytes after it are free (0xFF). It will grow where it "
        "stands, taking the bytes from 0x%1 to 0x%2; the game's pointer does not change. Continue?",
        "La table ne tient plus à sa place, mais les octets qui la suivent sont libres (0xFF). Elle s'agrandira "
        "sur place, en prenant les octets de 0x%1 à 0x%2; le pointeur du jeu ne change pas. Continuer?");
    set(Row::Grown, "The file was successfully saved! The sound-move table grew where it stands, up to 0x%1.",
        "La rom a bien été sauvegardée! La table des attaques sonores s'est agrandie sur place, jusqu'à 0x%1.");
    set(Row::ReasonChangedWhileAsked,
        "another program changed the file while the question was open. Save again to decide on what it holds "
        "now. Your edits are still open.",
        "un autre programme a modifié la rom pendant que la question était ouverte. Sauvegardez de nouveau pour "
        "décider d'après ce qu'elle contient maintenant. Vos modifications sont toujours ouvertes.");
    set(Row::EndedBeforeTable,
        "The file ends before its sound-move table, which the game's code places at 0x%1: nothing of the table "
        "could be read. The image is shown for viewing only, and nothing will be written to it.",
        "La rom se termine avant sa table des attaques sonores, que le code du jeu place à 0x%1 : rien de la table "
        "n'a pu être lu. La rom est affichée pour consultation seulement, et rien n'y sera écrit.");
    set(Row::ViewOnly, "view only", "consultation seulement");
    set(Row::ExportOverImage, "The table was not exported, and no file was changed: %1 is the open image itself.",
        "La table n'a pas été exportée, et aucun fichier n'a été modifié : %1 est la rom ouverte elle-même.");
    set(Row::ImageInformation, "&Image Information…", "&Informations sur l'image…");
    set(Row::CompareWithGame, "&Compare with Game's Table…", "&Comparer avec la table du jeu…");
    set(Row::RestoreGameTable, "Restore &Game's Table", "Re&staurer la table du jeu");
    set(Row::Play, "&Play", "&Jouer");
    set(Row::Emulator, "&Emulator…", "&Émulateur…");
    set(Row::ClearEmulator, "&Clear Emulator", "&Oublier l'émulateur");
    set(Row::CreatePatch, "Create Pa&tch…", "Créer un &patch…");
    set(Row::InfoHead, "File: %1\nSize: %2 bytes\nGame: %3 (code %4, version byte %5)\nCRC32: %6\nSHA-1: %7",
        "Fichier : %1\nTaille : %2 octets\nJeu : %3 (code %4, octet de version %5)\nCRC32 : %6\nSHA-1 : %7");
    set(Row::InfoUnmodified, "State: unmodified release (its SHA-1 is the release's).",
        "État : version d'origine non modifiée (son SHA-1 est celui de la version publiée).");
    set(Row::InfoModified, "State: modified (its SHA-1 is not the release's).",
        "État : modifiée (son SHA-1 n'est pas celui de la version publiée).");
    set(Row::InfoTableOwn, "Sound-move table: at the game's own place, 0x%1, %2.",
        "Table des attaques sonores : à la place d'origine du jeu, 0x%1, %2.");
    set(Row::InfoTableMoved, "Sound-move table: moved, now at 0x%1, %2.",
        "Table des attaques sonores : déplacée, maintenant à 0x%1, %2.");
    set(Row::InfoTableUnread, "Sound-move table: not found safely; the game's pointer holds 0x%1.",
        "Table des attaques sonores : pas trouvée sûrement; le pointeur du jeu contient 0x%1.");
    set(Row::InfoNamesOwn, "Move names: the game's own list, 0x%1, %2 moves.",
        "Noms des attaques : la liste d'origine du jeu, 0x%1, %2 attaques.");
    set(Row::InfoNamesMoved, "Move names: moved, now at 0x%1, %2 moves.",
        "Noms des attaques : déplacés, maintenant à 0x%1, %2 attaques.");
    set(Row::InfoUnsaved, "The table has unsaved edits: these facts are of the file as it stands on disk.",
        "La table a des modifications non sauvegardées : ces informations décrivent le fichier tel qu'il est sur "
        "le disque.");
    set(Row::CompareSame, "The sound-move table is the game's own: its ten moves, in its order.",
        "La table des attaques sonores est celle du jeu : ses dix attaques, dans son ordre.");
    set(Row::CompareReordered, "The sound-move table holds the game's own ten moves, in another order.",
        "La table des attaques sonores contient les dix attaques du jeu, dans un autre ordre.");
    set(Row::CompareDifference, "Added to the game's table: %1\n\nRemoved from the game's table: %2",
        "Ajoutées à la table du jeu : %1\n\nRetirées de la table du jeu : %2");
    set(Row::SaveFirst,
        "The sound-move table has unsaved edits, and this command uses the file as it stands on disk. Do you want "
        "to save them first?",
        "La table des attaques sonores a des modifications non sauvegardées, et cette commande utilise le fichier "
        "tel qu'il est sur le disque. Voulez-vous les sauvegarder d'abord?");
    set(Row::PlayFailed, "%1 could not be started. Choose another emulator in Options > Emulator…",
        "%1 n'a pas pu être démarré. Choisissez un autre émulateur dans Options > Émulateur…");
    set(Row::PlayNoProgram,
        "No program could be started to open %1: the system may have none for .gba files. Choose an emulator in "
        "Options > Emulator…",
        "Aucun programme n'a pu être démarré pour ouvrir %1 : le système n'en a peut-être aucun pour les fichiers "
        ".gba. Choisissez un émulateur dans Options > Émulateur…");
    set(Row::PatchWrongGame,
        "%1 is not an image of %2 (code %3, version byte %4), so a patch made from it would fit no copy of this "
        "game. Choose the unmodified image of the open file's game and revision.",
        "%1 n'est pas une image de %2 (code %3, octet de version %4), donc un patch fait à partir d'elle ne "
        "conviendrait à aucune copie de ce jeu. Choisissez l'image non modifiée du jeu et de la révision du "
        "fichier ouvert.");
    set(Row::PatchNotRelease,
        "%1 is not the unmodified release: its SHA-1 is not the release's. A patch made from it applies only to "
        "that very file.",
        "%1 n'est pas la version publiée non modifiée : son SHA-1 n'est pas celui de la version publiée. Un patch "
        "fait à partir d'elle ne s'applique qu'à ce fichier-là.");
    set(Row::PatchAnyway, "Make the patch anyway?", "Créer le patch quand même?");
    set(Row::PatchWritten, "The patch was written to %1 (%2 bytes).", "Le patch a été écrit dans %1 (%2 octets).");
    set(Row::PatchNotWritten, "The patch was not written, and no file was changed: %1",
        "Le patch n'a pas été écrit, et aucun fichier n'a été modifié : %1");
    set(Row::ReasonPatchRead, "the unmodified image or the open file could not be read.",
        "l'image non modifiée ou le fichier ouvert n'a pas pu être lu.");
    set(Row::ReasonPatchWrite, "writing it failed (the disk may be full).",
        "son écriture a échoué (le disque est peut-être plein).");
    set(Row::ReasonPatchOverImage, "the chosen file is one of the two images.",
        "le fichier choisi est l'une des deux images.");
    set(Row::PatchProgress, "Making the patch…", "Création du patch…");
    set(Row::ReasonPatchTooLarge,
        "the unmodified image or the open file is larger than 256 MiB, the most a patch is made of.",
        "l'image non modifiée ou le fichier ouvert dépasse 256 Mio, le plus grand dont un patch est fait.");
    set(Row::PatchWrittenHeld,
        "The patch was written to %1 (%2 bytes). It was made from the image as this page holds it, edits included.",
        "Le patch a été écrit dans %1 (%2 octets). Il a été fait à partir de l'image telle que cette page la "
        "contient, modifications comprises.");
    set(Row::ReasonImageTooLarge, "it is larger than 256 MiB, the largest image this program handles.",
        "elle dépasse 256 Mio, la plus grande image que ce programme traite.");
    set(Row::ChooseUnmodified, "Choose the Unmodified Image", "Choisir l'image non modifiée");
    set(Row::ExportTable, "&Export Table…", "&Exporter la table…");
    set(Row::ImportTable, "&Import Table…", "&Importer une table…");
    set(Row::Exported, "The table was exported to %1.", "La table a été exportée dans %1.");
    set(Row::ExportFailed, "The table could not be exported: %1 could not be written.",
        "La table n'a pas pu être exportée : %1 n'a pas pu être écrit.");
    set(Row::ImportReadFailed, "The table was not imported, and it stays as it was: %1 could not be read.",
        "La table n'a pas été importée, et elle reste telle qu'elle était : %1 n'a pas pu être lu.");
    set(Row::ImportRefusedLine, "The table was not imported, and it stays as it was. Line %1 of %2: %3",
        "La table n'a pas été importée, et elle reste telle qu'elle était. Ligne %1 de %2 : %3");
    set(Row::ImportRefusedFile, "The table was not imported, and it stays as it was. %1: %2",
        "La table n'a pas été importée, et elle reste telle qu'elle était. %1 : %2");
    set(Row::ReasonNotText, "the line holds a control character, or bytes that are not UTF-8 text.",
        "la ligne contient un caractère de contrôle, ou des octets qui ne sont pas du texte UTF-8.");
    set(Row::ReasonTooLarge, "the file is larger than the text of any table (%1 bytes at most).",
        "le fichier est plus grand que le texte de toute table (%1 octets au plus).");
    set(Row::ReasonUnknownName, "no move of this image is named \"%1\".",
        "aucune attaque de cette rom ne s'appelle « %1 ».");
    set(Row::ReasonNotAMove, "%1 is not a move of this image (its moves are 1 to %2).",
        "%1 n'est pas une attaque de cette rom (ses attaques vont de 1 à %2).");
    set(Row::ReasonTooManyEntries,
        "the table would have more than %1 entries, one for each move this image names (numbers up to %2 "
        "are moves).",
        "la table aurait plus de %1 entrées, une pour chaque attaque que cette rom nomme (les numéros jusqu'à %2 "
        "sont des attaques).");
    set(Row::ReasonNoEntries, "the file names no move.", "le fichier ne nomme aucune attaque.");
    set(Row::ImportNotes, "The table was imported. Some of its lines are worth a look:\n\n%1",
        "La table a été importée. Certaines de ses lignes méritent un coup d'œil :\n\n%1");
    set(Row::NoteNameMismatch, "Line %1: move %2 is %3 in this image, not %4.",
        "Ligne %1 : l'attaque %2 est %3 dans cette rom, pas %4.");
    set(Row::NoteAmbiguous, "Line %1: \"%2\" names more than one move of this image; move %3 was taken.",
        "Ligne %1 : « %2 » nomme plusieurs attaques de cette rom; l'attaque %3 a été prise.");
    set(Row::NotesMore, "… and %1 more.", "… et %1 de plus.");
    set(Row::ImportUnchanged, "The table already holds the moves of %1; nothing changed.",
        "La table contient déjà les attaques de %1; rien n'a changé.");
    set(Row::PathWarning,
        "The battle code of this image was changed by another tool: %1. The game may no longer read this "
        "sound-move table, and edits to it may have no effect in the game.",
        "Le code des combats de cette rom a été modifié par un autre outil : %1. Le jeu ne lit peut-être plus "
        "cette table des attaques sonores, et la modifier peut n'avoir aucun effet dans le jeu.");
    set(Row::NotReadByGame, "not read by the game", "non lue par le jeu");
    set(Row::WriteUnreadQuestion, "The game may no longer read this sound-move table: %1. Write it all the same?",
        "Le jeu ne lit peut-être plus cette table des attaques sonores : %1. L'écrire quand même ?");
    set(Row::InfoTableRead, "Read by the game: yes, its battle code still leads to this table.",
        "Lue par le jeu : oui, son code des combats mène toujours à cette table.");
    set(Row::InfoTableNotRead, "Read by the game: no, %1.", "Lue par le jeu : non, %1.");
    set(Row::PathEndOfFile, "the file ends before the game's battle code",
        "le fichier se termine avant le code des combats du jeu");
    set(Row::PathWordsDiffer, "the five words that hold the battle-command table's address disagree",
        "les cinq mots qui contiennent l'adresse de la table des commandes de combat diffèrent");
    set(Row::PathCommandTableOutside, "the battle-command table is at %1, outside the cartridge's address space",
        "la table des commandes de combat est à %1, hors de l'espace d'adresses de la cartouche");
    set(Row::PathFirstCommandMoved, "the first battle command is at %1, not the game's own %2",
        "la première commande de combat est à %1, pas à celle du jeu, %2");
    set(Row::PathFirstCommandJumps, "the game's first battle command at %1 starts with a jump to %2",
        "la première commande de combat du jeu, à %1, commence par un saut vers %2");
    set(Row::PathCallMoved, "the first battle command calls %1, not the ability effects at %2",
        "la première commande de combat appelle %1, pas les effets des talents à %2");
    set(Row::PathCallGone, "the first battle command no longer calls the ability effects at %1",
        "la première commande de combat n'appelle plus les effets des talents à %1");
    set(Row::PathAbilityEffectsJump, "the ability effects at %1 start with a jump to %2",
        "les effets des talents, à %1, commencent par un saut vers %2");
    set(Row::PathLoadMoved, "the ability effects load the table's address from %1, not from the game's word at %2",
        "les effets des talents lisent l'adresse de la table à %1, pas dans le mot du jeu à %2");
    set(Row::PathLoadGone, "the ability effects no longer load the table's address from the game's word at %1",
        "les effets des talents ne lisent plus l'adresse de la table dans le mot du jeu à %1");
    set(Row::PathUnknownPlace, "an address the code computes", "une adresse calculée par le code");
    set(Row::PathCommandTablePastEnd, "the battle-command table at %1 lies past the end of the file",
        "la table des commandes de combat, à %1, se trouve après la fin du fichier");
    set(Row::PathAttackChecksChanged,
        "the game's code at 0x%1 (the attack checks' start) is not the release's own: a hack may have hooked it",
        "le code du jeu à 0x%1 (le début des vérifications d'attaque) n'est pas celui de la version : un hack l'a "
        "peut-être détourné");
    set(Row::PathCallChanged,
        "the game's code at 0x%1 (the call of the ability effects) is not the release's own: a hack may have "
        "hooked it",
        "le code du jeu à 0x%1 (l'appel des effets des talents) n'est pas celui de la version : un hack l'a "
        "peut-être détourné");
    set(Row::PathAbilityEffectsChanged,
        "the game's code at 0x%1 (the ability effects' start) is not the release's own: a hack may have hooked it",
        "le code du jeu à 0x%1 (le début des effets des talents) n'est pas celui de la version : un hack l'a "
        "peut-être détourné");
    set(Row::PathSoundproofCaseChanged,
        "the game's code at 0x%1 (the Soundproof case) is not the release's own: a hack may have hooked it",
        "le code du jeu à 0x%1 (le cas d'Anti-Bruit) n'est pas celui de la version : un hack l'a peut-être "
        "détourné");
    set(Row::InfoReplaced,
        "%1: another file has taken its place since it was opened, so its facts are not shown. Open it again to "
        "see them.",
        "%1 : un autre fichier a pris sa place depuis son ouverture, ses informations ne sont donc pas affichées. "
        "Ouvrez-le de nouveau pour les voir.");
    set(Row::EndedBeforeWord,
        "The file ends before the game's pointer to its sound-move table, at 0x%1: nothing of the table could be "
        "read. The image is shown for viewing only, and nothing will be written to it.",
        "La rom se termine avant le pointeur du jeu vers sa table des attaques sonores, à 0x%1 : rien de la table "
        "n'a pu être lu. La rom est affichée pour consultation seulement, et rien n'y sera écrit.");
    set(Row::InfoTableCut, "Sound-move table: not read; the file ends before the game's pointer at 0x%1.",
        "Table des attaques sonores : pas lue; le fichier se termine avant le pointeur du jeu à 0x%1.");
    set(Row::InfoNamesWordCut, "Move names: not read; the file ends before the game's pointer at 0x%1.",
        "Noms des attaques : pas lus; le fichier se termine avant le pointeur du jeu à 0x%1.");
    set(Row::InfoNamesListCut, "Move names: not all read; the file ends before the list at 0x%1 does.",
        "Noms des attaques : pas tous lus; le fichier se termine avant la liste à 0x%1.");
    set(Row::PastAddressSpace,
        "The sound-move table at 0x%1 runs past 0x1FFFFFF, where the cartridge's address space ends: the game "
        "reads nothing of a longer file past it. The image is shown for viewing only, and nothing will be written "
        "to it.",
        "La table des attaques sonores à 0x%1 dépasse 0x1FFFFFF, où finit l'espace d'adresses de la cartouche : le "
        "jeu ne lit rien d'un fichier plus long au-delà. La rom est affichée pour consultation seulement, et rien "
        "n'y sera écrit.");
    set(Row::ReasonOtherImage,
        "another program has made it an image of another game or revision since it was opened. Open it again "
        "to edit it.",
        "un autre programme en a fait une image d'un autre jeu ou d'une autre révision depuis son ouverture. "
        "Ouvrez-la de nouveau pour la modifier.");
    set(Row::ReasonNameTooLong, "its name is too long for the system.", "son nom est trop long pour le système.");
    set(Row::PatchOtherRevision,
        "%1 is %2 (code %3, version byte %4), another revision: a patch for the open file needs %5 (version byte "
        "%6). Choose the unmodified image of the open file's game and revision.",
        "%1 est %2 (code %3, octet de version %4), une autre révision : un patch pour le fichier ouvert demande "
        "%5 (octet de version %6). Choisissez l'image non modifiée du jeu et de la révision du fichier ouvert.");
    set(Row::NotSupportedCode, "%1 has the game code %2 and the version byte %3.",
        "%1 a le code de jeu %2 et l'octet de version %3.");
    set(Row::NotSupportedShort, "%1 ends before the game code and version byte of a cartridge header.",
        "%1 se termine avant le code de jeu et l'octet de version d'un en-tête de cartouche.");
    set(Row::EmulatorNotProgram, "%1 cannot be run as a program, so it was not chosen as the emulator.",
        "%1 ne peut pas être lancé comme un programme, il n'a donc pas été choisi comme émulateur.");
    set(Row::PlayUnsaved,
        "The table's edits are not saved, and %1 may only be read: what is played is the file as it stands on "
        "disk, without them. Save As keeps them in a copy.",
        "Les modifications de la table ne sont pas sauvegardées, et %1 est en lecture seule : le jeu lancé est le "
        "fichier tel qu'il est sur le disque, sans elles. Sauvegarder sous les garde dans une copie.");
    set(Row::Entries, "%1 entries", "%1 entrées");
    set(Row::OneEntry, "%1 entry", "%1 entrée");
    set(Row::ReasonAmbiguousName, "spaces and hyphens aside, \"%1\" names more than one move of this image: %2.",
        "en ignorant espaces et traits d'union, « %1 » nomme plusieurs attaques de cette rom : %2.");
    set(Row::ReasonByteOrderMark,
        "a byte-order mark (U+FEFF) stands inside the text, where only its start may hold one (were two texts "
        "joined?).",
        "une marque d'ordre des octets (U+FEFF) se trouve dans le texte, alors que seul son début peut en avoir "
        "une (deux textes ont-ils été joints?).");
    set(Row::NoteLooseName, "Line %1: \"%2\" was read as %3 (move %4), spaces and hyphens aside.",
        "Ligne %1 : « %2 » a été lu comme %3 (attaque %4), en ignorant espaces et traits d'union.");
    set(Row::NoteWindows1252, "The text is not UTF-8: it was read as Windows-1252.",
        "Le texte n'est pas en UTF-8 : il a été lu comme du Windows-1252.");
    set(Row::ExportOverOtherImage,
        "The table was not exported, and no file was changed: %1 is an image of %2, not a text file.",
        "La table n'a pas été exportée, et aucun fichier n'a été modifié : %1 est une image de %2, pas un fichier "
        "texte.");
    set(Row::GameAndCode, "%1 (code %2, version byte %3)", "%1 (code %2, octet de version %3)");
    set(Row::ReasonPatchOverOtherImage, "the chosen file is an image of a supported game, not a patch.",
        "le fichier choisi est une image d'un jeu pris en charge, pas un patch.");
}

} // namespace zarnith
