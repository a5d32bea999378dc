# Writes a source file holding the SHA-256 of the helper executable, so the application
# installs only the helper it was built with. Run at build time, after the helper is linked
# (and, on a Mac, signed). Usage: cmake -DHELPER=path -DOUTPUT=file.cpp -P WriteHelperDigest.cmake
file(SHA256 "${HELPER}" digest)
string(CONCAT text
    "// Generated at build time from the helper executable; do not edit.\n"
    "#include \"ventoria/app/helper_digest.h\"\n\n"
    "const char* ventoria::app::builtHelperDigest() {\n"
    "    return \"${digest}\";\n"
    "}\n")
# Written every time it runs, which is only when the helper was linked again: an output older
# than its input would have the build run this on every invocation.
file(WRITE "${OUTPUT}" "${text}")
