# The program's identity, defined once. The version is the project's (project() in the top-level
# CMakeLists.txt); these values and the version reach the resource script and the user texts
# through the header app/identity.h, which app/CMakeLists.txt generates from app/identity.h.in,
# and the release package through Packaging.cmake.
set(PELMORA_PRODUCT_NAME "${PROJECT_NAME}")
set(PELMORA_AUTHOR "Tavrel")
set(PELMORA_YEAR "2012")
set(PELMORA_MONTH "12")
set(PELMORA_WEB_HOST "pelmora.example.org")
set(PELMORA_EMAIL "kontakt@${PELMORA_WEB_HOST}")
set(PELMORA_COPYRIGHT "Copyright (C) ${PELMORA_YEAR} ${PELMORA_AUTHOR}")
set(PELMORA_DOWNLOAD_PAGE "https://${PELMORA_WEB_HOST}/jars/")

# Each value becomes a C string literal in a file the resource compiler also reads: printable
# ASCII only, and no quote or backslash that would end or bend the literal.
foreach(_name PROJECT_VERSION PELMORA_PRODUCT_NAME PELMORA_AUTHOR PELMORA_YEAR PELMORA_MONTH
              PELMORA_WEB_HOST PELMORA_EMAIL PELMORA_COPYRIGHT PELMORA_DOWNLOAD_PAGE)
  if(NOT "${${_name}}" MATCHES "^[ -~]+$" OR "${${_name}}" MATCHES "[\"\\\\]")
    message(FATAL_ERROR "${_name} (\"${${_name}}\") must be non-empty printable ASCII without \" or \\")
  endif()
endforeach()
