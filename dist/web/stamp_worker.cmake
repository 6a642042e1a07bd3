# Writes the service worker for the page's files in DIR: its cache is named by a hash of their contents,
# so that any change to the page gives a new worker that replaces every file at once.
# Usage: cmake -DDIR=<page folder> -DTEMPLATE=<sw.js.in> -DFILES="a;b;..." -P stamp_worker.cmake
set(hashes "")
set(listed "'./'")
foreach(file ${FILES})
  file(SHA256 ${DIR}/${file} hash)
  string(APPEND hashes "${hash}")
  string(APPEND listed ", '${file}'")
endforeach()
string(SHA256 version "${hashes}")
string(SUBSTRING ${version} 0 16 WEB_VERSION)
set(WEB_FILES "${listed}")
configure_file(${TEMPLATE} ${DIR}/sw.js @ONLY)
