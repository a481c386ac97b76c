#include "support/language_texts.h"

namespace tavrel {

UiLanguage CurrentLanguage = UiLanguage::Dutch;
UiLanguage EditorLanguage = UiLanguage::Dutch;

void SetLanguage(UiLanguage current, UiLanguage editor) {
  CurrentLanguage = current;
  EditorLanguage = editor;
}

// Texts of the shared dialogs and frames: Dutch, German, English, Swedish. The German column
// was never translated: it holds a placeholder, the English text or nothing, and an empty cell
// is shown empty.
const std::array<TLanguageRow, kDialogTextCount> DialogTexts = {{
    {"< Vorige", "German", "< Back", "< Bak\xE5t"},                  // 0
    {"Volgende >", "German", "Next >", "N\xE4sta >"},                // 1
    {"Voltooien", "German", "Finish", "Slutf\xF6r"},                 // 2
    {"Sluiten", "German", "Close", "St\xE4ng"},                      // 3
    {"Annuleren", "German", "Cancel", "Avbryt"},                     // 4
    {"Help", "German", "Help", "Hj\xE4lp"},                          // 5
    {"Toevoegen", "German", "Add", "L\xE4gg till"},                  // 6
    {"Wijzigen", "German", "Edit", "\xC4ndra"},                      // 7
    {"Verwijderen", "German", "Delete", "Ta bort"},                  // 8
    {"Naam", "German", "Name", "Namn"},                              // 9
    {"Test verbinding", "", "Test connection", "Prova Anslutning"},  // 10
    {"Servers", "German", "Servers", "Servrar"},                     // 11
    {"Server", "German", "Server", "Server"},                        // 12
    {"Adres", "German", "Address", "Adress"},                        // 13
    {"Directory", "German", "Directory", "Katalog"},                 // 14
    {"Gebruiker", "German", "User", "Anv\xE4ndare"},                 // 15
    {"Afbeelding", "German", "Picture", "Bild"},                     // 16
    {"Uitrekken", "German", "Stretch",
     "Str\xE4"
     "ck ut"},                                                                         // 17
    {"Verhouding behouden", "German", "Keep aspect ratio", "Beh\xE5ll proportioner"},  // 18
    {"The FTP UserID may not contain any of the following characters or spaces:",
     "The FTP UserID may not contain any of the following characters or spaces:",
     "The FTP UserID may not contain any of the following characters or spaces:",
     "The FTP UserID may not contain any of the following characters or spaces:"},  // 19
    {"niet ingevuld.", "niet ingevuld.", "niet ingevuld.", "niet ingevuld."},       // 20
    {"minuten", "German", "minutes", "minuter"},                                    // 21
    {"Fout FTP Poort nummmer, moet tussen 1 en 65535 liggen", "",
     "Wrong FTP Port number, must be between 1 and 65535",
     "Wrong FTP Port number, must be between 1 and 65535"},  // 22
    {"Verbinding met server \"%s\" mislukt.", "", "Connection to server \"%s\" failed.",
     "Connection to server \"%s\" failed."},  // 23
    {"Directory niet gevonden", "Directory not found", "Directory not found",
     "Directory not found"},                                                          // 24
    {"Bestand niet gevonden", "File not found", "File not found", "File not found"},  // 25
    {"Verbinding mislukt, misschien is de directory \"%s\" niet aanwezig op de server.",
     "Connection failed, maybe the directory \"%s\" does not exists on the server.",
     "Connection failed, maybe the directory \"%s\" does not exists on the server.",
     "Connection failed, maybe the directory \"%s\" does not exists on the server."},  // 26
    {"Verbinding OK", "Connection OK", "Connection OK", "Connection OK"},              // 27
    {"Bestand %s is gewijzigd. Wilt u het eerst opslaan?",
     "File %s was modified. Do you want to save it first?",
     "File %s was modified. Do you want to save it first?",
     "File %s was modified. Do you want to save it first?"},  // 28
    {"Kan bestand \"%s\" niet vinden. Het is misschien verwijderd of verplaatst.",
     "Unable to locate file \"%s\". It might be deleted or moved.",
     "Unable to locate file \"%s\". It might be deleted or moved.",
     "Unable to locate file \"%s\". It might be deleted or moved."},  // 29
    {"<geen naam>", "<no name>", "<no name>", "<no name>"},           // 30
}};

// Texts of the page editor and its dialogs: Dutch, German, English, Swedish. The runs of spaces
// in rows 10, 23, 32 and 42 line the shortcut keys up in the menus.
const std::array<TLanguageRow, kEditorTextCount> EditorTexts = {{
    {"Bestand", "Datei", "File", "Arkiv"},                 // 0
    {"Importeren", "Importieren", "Import", "Importera"},  // 1
    {"Prestel pagina importeren", "Prestel-Seite importieren", "Prestel page import",
     "Importera Prestel-sida"},  // 2
    {"Sjabloon openen",
     "Vorlage \xF6"
     "ffnen",
     "Open Template", "\xD6ppna mall"},  // 3
    {"Sluiten",
     "Schlie\xDF"
     "en",
     "Close", "St\xE4ng"},                           // 4
    {"Bewerken", "Bearbeiten", "Edit", "Redigera"},  // 5
    {"Ongedaan maken",
     "R\xFC"
     "ckg\xE4ngig",
     "Undo", "\xC5ngra"},                               // 6
    {"Knippen", "Ausschneiden", "Cut", "Klipp ut"},     // 7
    {"Kopi\xEBren", "Kopieren", "Copy", "Kopiera"},     // 8
    {"Plakken", "Einf\xFCgen", "Paste", "Klistra in"},  // 9
    {"Verwijderen     Del", "L\xF6schen          Del", "Delete          Del",
     "Ta bort         Del"},                                                          // 10
    {"Alles selecteren", "Alles markieren", "Select All", "Markera allt"},            // 11
    {"Regel invoegen", "Zeile einf\xFCgen", "Insert Line", "Infoga rad"},             // 12
    {"Regel verwijderen", "Zeile l\xF6schen", "Delete Line", "Ta bort rad"},          // 13
    {"Invoegen aan/uit", "Einf\xFCgen ein/aus", "Insert On/Off", "Infoga p\xE5/av"},  // 14
    {"Invoegen", "Einf\xFCgen", "Insert", "Infoga"},                                  // 15
    {"Opmaak", "Layout", "Layout", "Layout"},                                         // 16
    {"Voorgrond-/achtergrondkleur", "Vordergrund-/Hintergrundfarbe", "Foreground/Background Color",
     "F\xF6rgrunds-/bakgrundsf\xE4rg"},                                       // 17
    {"Kop plaatsen", "Kopfzeile setzen", "Put Header", "Infoga sidhuvud"},    // 18
    {"Kop opslaan", "Kopfzeile speichern", "Save Header", "Spara sidhuvud"},  // 19
    {"Modus", "Modus", "Mode", "L\xE4ge"},                                    // 20
    {"Bloktekst", "Blocktext", "Block Text", "Blocktext"},                    // 21
    {"Prestel tekst", "Prestel-Text", "Prestel Text", "Prestel-text"},        // 22
    {"Grote letters           Alt+1..6",
     "Gro\xDF"
     "e Schrift           Alt+1..6",
     "Large Fonts            Alt+1..6", "Stora tecken           Alt+1..6"},  // 23
    {"Grote letter",
     "Gro\xDF"
     "e Schrift",
     "Large Font", "Stora tecken"},                         // 24
    {"Vrij", "Frei", "Free", "Fri"},                        // 25
    {"Lijn", "Linie", "Line", "Linje"},                     // 26
    {"Rechthoek", "Rechteck", "Rectangle", "Rektangel"},    // 27
    {"Cirkel", "Kreis", "Circle", "Cirkel"},                // 28
    {"Vullen", "F\xFCllen", "Fill", "Fyll"},                // 29
    {"Inverteren", "Invertieren", "Invert", "Invertera"},   // 30
    {"Attributen", "Attribute", "Attributes", "Attribut"},  // 31
    {"Letterkleur          F1..F8", "Schriftfarbe          F1..F8", "Font Color           F1..F8",
     "Teckenf\xE4rg            F1..F8"},  // 32
    {"Rood", "Rot", "Red",
     "R\xF6"
     "d"},                                                      // 33
    {"Groen", "Gr\xFCn", "Green", "Gr\xF6n"},                   // 34
    {"Geel", "Gelb", "Yellow", "Gul"},                          // 35
    {"Blauw", "Blau", "Blue", "Bl\xE5"},                        // 36
    {"Magenta", "Magenta", "Magenta", "Magenta"},               // 37
    {"Cyaan", "Cyan", "Cyan", "Cyan"},                          // 38
    {"Wit", "Wei\xDF", "White", "Vit"},                         // 39
    {"Zwart", "Schwarz", "Black", "Svart"},                     // 40
    {"Tekenmodus", "Zeichenmodus", "Draw Mode", "Ritl\xE4ge"},  // 41
    {"Grafische kleur    Ctrl+F1..F8", "Grafikfarbe        Strg+F1..F8",
     "Graphic Color    Ctrl+F1..F8", "Grafikf\xE4rg       Ctrl+F1..F8"},                    // 42
    {"Knipperen aan", "Blinken ein", "Flash On", "Blink p\xE5"},                            // 43
    {"Knipperen", "Blinken", "Flash", "Blink"},                                             // 44
    {"Vast", "Stetig", "Steady", "Fast"},                                                   // 45
    {"Dubbele hoogte", "doppelte H\xF6he", "Double Height", "Dubbel H\xF6jd"},              // 46
    {"Normale hoogte", "normale H\xF6he", "Normal Height", "Normal h\xF6jd"},               // 47
    {"Gesch. graf.", "Getr. Grafik", "Sep. graph.", "Sep. grafik"},                         // 48
    {"Gescheiden graphics", "Getrennte Grafik", "Seperated Graphics", "Separerad grafik"},  // 49
    {"Aaneengesloten graphics", "Zusammenh\xE4ngende Grafik", "Contiguous Graphics",
     "Sammanh\xE4ngande grafik"},                                                           // 50
    {"Begin kader", "Kastenanfang", "Start Box", "B\xF6rjan ruta"},                         // 51
    {"Einde kader", "Kastenende", "End Box", "Slut ruta"},                                  // 52
    {"Zwarte achtergrond", "Schwarzer Hintergrund", "Black Background", "Svart bakgrund"},  // 53
    {"Nieuwe achtergrond", "Neuer Hintergrund", "New Background", "Ny bakgrund"},           // 54
    {"Graphics vasthouden", "Grafik halten", "Hold Graphics", "H\xE5ll grafik"},            // 55
    {"Graphics loslaten", "Grafik freigeben", "Release Graphics", "Sl\xE4pp grafik"},       // 56
    {"Verbergen", "Verbergen", "Conceal", "D\xF6lj"},                                       // 57
    {"Opslaan en sluiten", "German", "Save and close", "Spara och st\xE4ng"},               // 58
    {"Bloktekstmodus", "Blocktextmodus", "Blocktext mode", "Blocktextl\xE4ge"},             // 59
    {"Alfa", "Alpha", "Alpha", "Alfa"},                                                     // 60
    {"Grafisch", "Grafik", "Graphic", "Grafik"},                                            // 61
    {"Beeld", "Ansicht", "View", "Visa"},                                                   // 62
    {"Aan/uit", "Ein/aus", "On/Off", "P\xE5/av"},                                           // 63
    {"Aan", "Ein", "On", "P\xE5"},                                                          // 64
    {"Uit", "Aus", "Off", "Av"},                                                            // 65
    {"Raster aan/uit", "Raster ein/aus", "Grid On/Off", "Rutn\xE4t p\xE5/av"},              // 66
    {"Raster", "Raster", "Grid", "Rutn\xE4t"},                                              // 67
    {"Bloktekstkader aan/uit", "Blocktextrahmen ein/aus", "Block Text Border On/Off",
     "Blocktextram p\xE5/av"},                                                   // 68
    {"Bloktekstkader", "Blocktextrahmen", "Block Text Border", "Blocktextram"},  // 69
    {"Knipperen aan/uit", "Blinken ein/aus", "Flash On/Off", "Blink p\xE5/av"},  // 70
    {"Taal", "Sprache", "Language", "Spr\xE5k"},                                 // 71
    {"Engels", "Englisch", "English", "Engelska"},                               // 72
    {"Duits", "Deutsch", "German", "Tyska"},                                     // 73
    {"Zweeds", "Schwedisch", "Swedish", "Svenska"},                              // 74
    {"Frans", "Franz\xF6sisch", "French", "Franska"},                            // 75
    {"Italiaans", "Italienisch", "Italian", "Italienska"},                       // 76
    {"Spaans", "Spanisch", "Spanish", "Spanska"},                                // 77
    {"Help", "Hilfe", "Help", "Hj\xE4lp"},                                       // 78
    {"Help onderwerpen", "Hilfethemen", "Help Subjects", "Hj\xE4lpavsnitt"},     // 79
    {"Leerprogramma", "Lernprogramm", "Tutor", "Sj\xE4lvstudier"},               // 80
    {"Over Tavrel sjablooneditor",
     "\xDC"
     "ber den Tavrel-Vorlageneditor",
     "About Tavrel Template Editor", "Om Tavrel mallredigerare"},  // 81
    {"Wijzigingen opslaan", "\xC4nderungen speichern", "Save modifications",
     "Spara \xE4ndringar"},                                // 82
    {"Inverteren", "Invertieren", "Invert", "Invertera"},  // 83
    {"Grote letter modus",
     "Gro\xDF"
     "e-Schrift-Modus",
     "Large Font Mode", "L\xE4ge stora tecken"},                             // 84
    {"Voorgrond", "Vordergrund", "Foreground", "F\xF6rgrund"},               // 85
    {"Achtergrond", "Hintergrund", "Background", "Bakgrund"},                // 86
    {"Voorbeeldtekst", "Beispieltext", "Example Text", "Exempeltext"},       // 87
    {"Tekst", "Text", "Text", "Text"},                                       // 88
    {"Stijl", "Stil", "Style", "Stil"},                                      // 89
    {"Aantal", "Anzahl", "Count", "Antal"},                                  // 90
    {"Tonen", "Anzeigen", "Show", "Visa"},                                   // 91
    {"Annuleren", "Abbrechen", "Cancel", "Avbryt"},                          // 92
    {"Niveau", "Stufe", "Level", "Niv\xE5"},                                 // 93
    {"Afbeelding laden", "Bild laden", "Load image", "L\xE4s in bild"},      // 94
    {"Afbeelding", "Bild", "Image", "Bild"},                                 // 95
    {"Teletekstpagina", "Videotextseite", "Teletext page", "Text-TV-sida"},  // 96
    {"Opmaak voorgrond-/achtergrondkleur", "Format Vordergrund-/Hintergrundfarbe",
     "Format Foreground/Background Color", "Format f\xF6rgrunds-/bakgrundsf\xE4rg"},  // 97
    {"Afbeelding importeren", "Bild importieren", "Image import", "Importera bild"},  // 98
    {"Bovenste regel als vaste kop opslaan", "Oberste Zeile als feste Kopfzeile speichern",
     "Save top row as fixed header", "Spara \xF6versta raden som fast sidhuvud"},  // 99
    {"Er bevinden zich attributen binnen het tekstblok!\r\nDeze worden gewist als de "
     "bloktekstmodus aktief wordt.\r\nDoorgaan ?",
     "Im Textblock stehen Attribute!\r\nDiese werden gel\xF6scht, wenn der Blocktextmodus aktiv "
     "ist.\r\nFortfahren ?",
     "There are attributes within the textblock!\r\nThese will be deleted if blocktext mode is "
     "active.\r\nResume ?",
     "Det finns attribut i textblocket!\r\nDe tas bort om blocktextl\xE4get \xE4r aktivt.\r\n"
     "Forts\xE4tta ?"},  // 100
    {"Als standaard opslaan", "Als Standard speichern", "Save as default",
     "Spara som standard"},  // 101
}};

const TLanguageRow SharedTitleLine = {
    "Teletekst uit nieuwsfeeds, automatisch naar de uitzendserver", "German",
    "Teletext from news feeds, sent to the transmission server automatically",
    "Text-TV fr\xE5n nyhetsfl\xF6"
    "den, automatiskt till s\xE4ndningsservern"};

namespace {

// Captions of the message box kinds warning, error, information and confirmation, then the
// button captions in TMsgDlgBtn order, per language in UiLanguage order.
struct TMessageTexts {
  std::array<std::string_view, 4> Captions;
  std::array<std::string_view, kMsgDlgBtnCount> Buttons;
};

constexpr std::array<TMessageTexts, kUiLanguageCount> kMessageTexts = {{
    {{"Waarschuwing", "Fout", "Informatie", "Bevestig"},
     {"Ja", "Nee", "OK", "Annuleren", "Afbreken", "Opnieuw", "Negeren", "Alles", "Help"}},
    {{"Warnung", "Fehler", "Information", "Befestig"},
     {"Ja", "Nein", "OK", "Annulieren", "Afbrechen", "Opnieuw", "Negeren", "Alles", "Hilfe"}},
    {{"Warning", "Error", "Information", "Confirm"},
     {"Yes", "No", "OK", "Cancel", "Abort", "Retry", "Ignore", "All", "Help"}},
    {{"Varning", "Fel", "Information",
      "Bekr\xE4"
      "fta"},
     {"Ja", "Nej", "OK", "Avbryt", "Avbryt", "F\xF6rs\xF6k igen", "Hoppa \xF6ver", "Allt",
      "Hj\xE4lp"}},
}};

template <std::size_t Rows>
std::string_view Lookup(const std::array<TLanguageRow, Rows>& table, int row, UiLanguage language) {
  if (row < 0 || static_cast<std::size_t>(row) >= Rows) return {};
  return table[static_cast<std::size_t>(row)][static_cast<std::size_t>(language)];
}

}  // namespace

std::string_view DialogText(int row) { return Lookup(DialogTexts, row, CurrentLanguage); }

std::string_view EditorText(int row) { return Lookup(EditorTexts, row, EditorLanguage); }

std::string_view SharedTitleLineText() {
  return SharedTitleLine[static_cast<std::size_t>(CurrentLanguage)];
}

std::string_view MessageCaption(TMsgDlgType kind) {
  if (kind == TMsgDlgType::Custom) return {};
  return kMessageTexts[static_cast<std::size_t>(CurrentLanguage)]
      .Captions[static_cast<std::size_t>(kind)];
}

std::string_view MessageButtonCaption(TMsgDlgBtn button) {
  return kMessageTexts[static_cast<std::size_t>(CurrentLanguage)]
      .Buttons[static_cast<std::size_t>(button)];
}

}  // namespace tavrel
