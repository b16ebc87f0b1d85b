package com.tallowfen.artgen;

import java.util.ArrayList;
import java.util.Comparator;
import java.util.List;

/** Median-cut colour reduction over weighted colours {r, g, b, count}; fully deterministic. */
final class MedianCut {
    private MedianCut() {
    }

    /** Returns at most max colours as 0xRRGGBB, each the weighted mean of one box. */
    static int[] reduce(List<int[]> colours, int max) {
        List<List<int[]>> boxes = new ArrayList<>();
        boxes.add(colours);
        while (boxes.size() < max) {
            int pick = widest(boxes);
            if (pick < 0) {
                break;
            }
            List<int[]> box = boxes.remove(pick);
            int axis = longestAxis(box);
            box.sort(Comparator.<int[]>comparingInt(c -> c[axis]).thenComparingInt(MedianCut::rgb));
            int cut = weightedMedian(box);
            boxes.add(pick, new ArrayList<>(box.subList(cut, box.size())));
            boxes.add(pick, new ArrayList<>(box.subList(0, cut)));
        }
        return boxes.stream().mapToInt(MedianCut::mean).toArray();
    }

    private static int rgb(int[] c) {
        return (c[0] << 16) | (c[1] << 8) | c[2];
    }

    /** The splittable box with the largest spread weighted by its population, or -1. */
    private static int widest(List<List<int[]>> boxes) {
        int best = -1;
        double bestScore = 0;
        for (int i = 0; i < boxes.size(); i++) {
            List<int[]> box = boxes.get(i);
            if (box.size() < 2) {
                continue;
            }
            long n = 0;
            for (int[] c : box) {
                n += c[3];
            }
            int axis = longestAxis(box);
            double score = span(box, axis) * Math.sqrt(n);
            if (score > bestScore) {
                bestScore = score;
                best = i;
            }
        }
        return best;
    }

    private static int span(List<int[]> box, int axis) {
        int lo = 255;
        int hi = 0;
        for (int[] c : box) {
            lo = Math.min(lo, c[axis]);
            hi = Math.max(hi, c[axis]);
        }
        return hi - lo;
    }

    private static int longestAxis(List<int[]> box) {
        int axis = 0;
        for (int a = 1; a < 3; a++) {
            if (span(box, a) > span(box, axis)) {
                axis = a;
            }
        }
        return axis;
    }

    /** Index splitting the sorted box into two halves of about equal pixel count, never empty. */
    private static int weightedMedian(List<int[]> box) {
        long total = 0;
        for (int[] c : box) {
            total += c[3];
        }
        long run = 0;
        for (int i = 0; i < box.size() - 1; i++) {
            run += box.get(i)[3];
            if (run * 2 >= total) {
                return i + 1;
            }
        }
        return box.size() - 1;
    }

    private static int mean(List<int[]> box) {
        long r = 0;
        long g = 0;
        long b = 0;
        long n = 0;
        for (int[] c : box) {
            r += (long) c[0] * c[3];
            g += (long) c[1] * c[3];
            b += (long) c[2] * c[3];
            n += c[3];
        }
        return (int) ((r / n) << 16 | (g / n) << 8 | (b / n));
    }
}
