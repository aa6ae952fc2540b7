# cmake -DPAGE=<folder> -P WebPage.cmake, run in the browser build's folder:
# copies the linked program (rallyo.js, rallyo.wasm, rallyo.data) into the
# page. Emscripten's file packager marks every build of rallyo.data with a
# random package_uuid in rallyo.js; it becomes the data's SHA-256, as later
# Emscripten releases write it, so the same pictures give the same bytes.
file(SHA256 rallyo.data data_hash)
file(READ rallyo.js js)
string(REGEX REPLACE "\"package_uuid\":\"[^\"]*\"" "\"package_uuid\":\"sha256-${data_hash}\"" js "${js}")
file(MAKE_DIRECTORY ${PAGE})
file(WRITE ${PAGE}/rallyo.js "${js}")
file(COPY rallyo.wasm rallyo.data DESTINATION ${PAGE})
