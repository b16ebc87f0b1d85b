package com.tallowfen.hollyblitz;

import java.io.File;
import java.util.HashMap;
import java.util.HashSet;
import java.util.Locale;
import java.util.Map;
import java.util.Set;

/**
 * A media folder of the workspace whose file names are matched without regard
 * to letter case: the archive may store "aaagun0.gif" where the game asks for
 * "AAAGun0.gif". The folder is listed once; a name that matches nothing is
 * passed on as asked, so its load fails the ordinary way.
 */
final class AssetFolder {

    private final String folderPath;
    private final NameIndex files;

    /** The folder `name` inside `workspace`, its own name matched without regard to case as well. */
    AssetFolder(String workspace, String name) {
        String stored = new NameIndex(new File(workspace).list()).resolve(name);
        folderPath = workspace + "/" + stored;
        files = new NameIndex(new File(folderPath).list());
    }

    /** The path of a file of this folder, with the name under which it is really stored. */
    String path(String fileName) {
        return folderPath + "/" + files.resolve(fileName);
    }

    private static String lowerCase(String s) {
        return s.toLowerCase(Locale.ROOT);
    }

    /** A folder listing, looked up by exact name first and then without regard to case. */
    private static final class NameIndex {
        final Set<String> exact = new HashSet<String>();
        final Map<String, String> byLowerCase = new HashMap<String, String>();

        NameIndex(String[] names) {
            if (names == null) {
                return;
            }
            for (String n : names) {
                exact.add(n);
                String key = lowerCase(n);
                // Keep one answer per name when the listing holds case twins, whatever its order.
                String known = byLowerCase.get(key);
                if (known == null || n.compareTo(known) < 0) {
                    byLowerCase.put(key, n);
                }
            }
        }

        String resolve(String name) {
            if (exact.contains(name)) {
                return name;
            }
            String stored = byLowerCase.get(lowerCase(name));
            return stored != null ? stored : name;
        }
    }
}
