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

QString ComposeAbout(const AboutPieces& p)
{
    return QString::fromUtf8(p.Name) + '\n' + QString::fromUtf8(p.Version) + '\n' + QString::fromUtf8(p.Author) + '\n'
        + QString::fromUtf8(p.Date) + "\n\n" + QString::fromUtf8(p.Description) + "\n\n"
        + QString::fromUtf8(p.WhereToFind) + ' ' + HomePage() + ".\n\n";
}

} // namespace

QString HomePage()
{
    return QStringLiteral(ZARNITH_HOMEPAGE);
}

void InitLanguageTable(LanguageStrings& table)
{
    auto set = [&](int row, const char* english, const char* french) {
        table[row * 2 + English] = QString::fromUtf8(english);
        table[row * 2 + French] = QString::fromUtf8(french);
    };
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
    set(Row::VersionsText, "English - Ruby, Sapphire, Emerald, Fire Red, and Leaf Green",
        "Anglais, Français - Rubis, Saphir, Emeraude, Rouge Feu, et Vert Feuille");
    set(Row::ChangeMove, "Change Move", "Changer l'Attaque");
    set(Row::InsertMove, "Insert New Move", "Insérer une Nouvelle Attaque");
    set(Row::DeleteMove, "Delete Move", "Supprimer l'Attaque");
    set(Row::SaveFailed,
        "The file could not be saved. It may be unchanged or only partly written; check it before using it.",
        "La rom n'a pas pu être sauvegardée. Elle est peut-être inchangée ou écrite en partie seulement; "
        "vérifiez-la avant de l'utiliser.");
    set(Row::OpenFailed, "The file could not be opened for reading and writing: %1",
        "Le fichier n'a pas pu être ouvert en lecture et en écriture : %1");
    set(Row::AlreadyOpen,
        "There's already a file open. Are you sure you want to open another? Any data not saved will be lost.",
        "Un fichier est déja ouvert. Êtes-vous sûr de vouloir ouvrir un autre? Toutes les données non "
        "sauvegardées seront perdues.");
    set(Row::NotSupported,
        "Sorry, but the rom you chose isn't supported by this program yet, or isn't a generation III Pokémon rom.",
        "Désolé, mais la rom que vous avez choisie n'est pas compatible avec cette programme encore, ou n'est pas "
        "une rom Pokémon de la génération GBA.");
    set(Row::Saved, "The file was successfully saved!", "La rom a bien été sauvegardée!");
    set(Row::RepairQuestion, "An entry of the sound-move table is corrupted. Do you want the program to fix it?",
        "Une entrée de la table des attaques sonores est corrompue. Voulez-vous que le programme la répare?");
    set(Row::ReasonMissing, "it does not exist.", "il n'existe pas.");
    set(Row::ReasonPermission, "you are not allowed to write to it (it may be read-only or locked).",
        "vous n'avez pas le droit d'y écrire (il est peut-être en lecture seule ou verrouillé).");
    set(Row::ReasonNotRegularFile, "it is not a regular file.", "ce n'est pas un fichier ordinaire.");
    set(Row::ReasonOther, "the system refused to open it.", "le système a refusé de l'ouvrir.");
    set(Row::RepairFailed,
        "A corrupted entry could not be repaired because the file could not be written. The entry was left as it "
        "was.",
        "Une entrée corrompue n'a pas pu être réparée car la rom n'a pas pu être écrite. L'entrée est restée "
        "telle quelle.");
    set(Row::Attention, "Attention", "Attention");
    set(Row::Warning, "Warning", "Alerte");
    set(Row::ErrorCaption, "Error", "Erreur");
    set(Row::EndedEarly,
        "The file ends before its sound-move table does: it is shorter than a rom of this game. What could be "
        "read is shown, but the file cannot be saved.",
        "La rom se termine avant sa table des attaques sonores : elle est plus courte qu'une rom de ce jeu. Ce qui "
        "a pu être lu est affiché, mais la rom ne peut pas être sauvegardée.");
    set(Row::UnexpectedError, "An unexpected error occurred: %1", "Une erreur inattendue s'est produite : %1");
}

} // namespace zarnith
