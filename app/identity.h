/* The program's identity: the values shown in the version block and the About text. Each is
   defined once here and used by both the resource script and the code, so this file stays
   plain C preprocessor text that the resource compiler can read. ASCII only. */
#ifndef PELMORA_APP_IDENTITY_H
#define PELMORA_APP_IDENTITY_H

#define PELMORA_WEB_HOST "pelmora.example.org"
#define PELMORA_EMAIL "kontakt@pelmora.example.org"
#define PELMORA_COPYRIGHT "Copyright (C) 2012 Tavrel"
#define PELMORA_DOWNLOAD_PAGE "https://pelmora.example.org/jars/"

#define PELMORA_VERSION_TEXT "1.3"
#define PELMORA_PRODUCT_NAME "Pelmora"

#endif
