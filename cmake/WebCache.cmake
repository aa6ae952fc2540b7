# Run as a script after every build of the page (cmake -P): writes the
# service worker with the list of the page's files and a cache name made
# from their contents, in name order, so the same files always give the
# same name and any change gives a new one.
#   -DPAGE=<the page's folder> -DTEMPLATE=<sw.js with its two blanks>
file(GLOB names RELATIVE ${PAGE} ${PAGE}/*)
list(REMOVE_ITEM names sw.js)
list(SORT names)
set(sums "")
set(PAGE_FILES "")
foreach(name ${names})
  file(SHA256 ${PAGE}/${name} sum)
  string(APPEND sums "${sum}  ${name}\n")
  list(APPEND PAGE_FILES "'${name}'")
endforeach()
string(SHA256 PAGE_HASH "${sums}")
string(SUBSTRING ${PAGE_HASH} 0 16 PAGE_HASH)
list(JOIN PAGE_FILES ", " PAGE_FILES)
configure_file(${TEMPLATE} ${PAGE}/sw.js @ONLY)
