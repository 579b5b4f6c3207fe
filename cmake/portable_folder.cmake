# Before cpack packs the .tar.gz: the staged install becomes the portable folder, lib/kobanu's
# files with the README beside them. The rest of the install (link, desktop entry, themed
# icons) only makes sense under a prefix.
set(stage ${CPACK_TEMPORARY_DIRECTORY})
file(RENAME ${stage}/lib/kobanu ${stage}.portable)
file(RENAME ${stage}/share/doc/kobanu/README.md ${stage}.portable/README.md)
file(REMOVE_RECURSE ${stage})
file(RENAME ${stage}.portable ${stage})
