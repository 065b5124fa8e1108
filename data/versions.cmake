# The versions of the installed system, database and resource packages. The application folder's
# installedXML manifests and the demo release folder are both made from these values, so that a
# fresh application folder is up to date with the demo release.
set(RAVLEK_RELEASE_NAME "Ravlek 1.0.0")
# The publisher's release sequence of this release: shipped as installedXML/release_sequence.txt,
# the floor below which the program takes no manifest (the demo update is sequence 2).
set(RAVLEK_RELEASE_SEQUENCE 1)
set(RAVLEK_SYSTEM_VERSION "1.0.0")
set(RAVLEK_DATABASE_VERSION "1.0.0")
set(RAVLEK_HTML_RELEASE_ID "html-1.0.0")
set(RAVLEK_HTML_IMAGES_RELEASE_ID "html-images-1.0.0")
