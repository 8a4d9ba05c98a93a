/* The shared library is built from the internal library whole; this file
 * only gives the shared-library target a source of its own. */
typedef int kam_module_translation_unit_is_not_empty;
