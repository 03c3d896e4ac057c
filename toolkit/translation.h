#pragma once
// The toolkit's own texts in Czech: the standard dialogs' labels and the
// buttons of message boxes and file dialogs ("Uložit", "Zrušit", "Ano", "Ne").

// Installs Qt's Czech translation of its base texts (qtbase_cs from the
// distribution's Qt translations) into the running application; call it once
// at start, after the application object exists. Returns false, leaving the
// toolkit's English texts, when the translation is not installed.
bool LoadCzechTranslation();
