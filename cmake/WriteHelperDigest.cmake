# Writes a source file holding the SHA-256 of the helper executable and of each of its job
# files, so the application installs only the job it was built with. Run at build time, after
# the helper is linked (and, on a Mac, signed).
# Usage: cmake -DHELPER=path "-DJOBS=path|path…" -DOUTPUT=file.cpp -P WriteHelperDigest.cmake
file(SHA256 "${HELPER}" helper)
string(REPLACE "|" ";" jobs "${JOBS}")
set(entries "")
foreach(job IN LISTS jobs)
    file(SHA256 "${job}" digest)
    get_filename_component(name "${job}" NAME)
    string(APPEND entries "{\"${name}\", \"${digest}\"}, ")
endforeach()
string(CONCAT text
    "// Generated at build time from the helper executable and its job files; do not edit.\n"
    "#include \"ventoria/app/helper_digest.h\"\n\n"
    "ventoria::app::InstallDigests ventoria::app::builtDigests() {\n"
    "    return {\"${helper}\", {${entries}}};\n"
    "}\n")
# Written every time it runs, which is only when an input changed: an output older than its
# inputs would have the build run this on every invocation.
file(WRITE "${OUTPUT}" "${text}")
