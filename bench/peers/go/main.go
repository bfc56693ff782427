// Peer of palimp-replace for the benchmark: the same table applied with Go's
// strings.NewReplacer, which also replaces leftmost first, earlier pairs winning at a position.
//
//	go-replace TABLE.tsv INPUT OUTPUT
//
// TABLE.tsv holds one pair a line, "phrase<TAB>replacement", UTF-8.
package main

import (
	"bytes"
	"fmt"
	"os"
	"strings"
)

func readPairs(path string) ([]string, error) {
	data, err := os.ReadFile(path)
	if err != nil {
		return nil, err
	}
	var oldnew []string
	for _, line := range strings.Split(string(data), "\n") {
		if line == "" {
			continue
		}
		phrase, replacement, _ := strings.Cut(line, "\t")
		// An empty phrase never matches in Palimp; Go would match it everywhere.
		if phrase == "" {
			continue
		}
		oldnew = append(oldnew, phrase, replacement)
	}
	return oldnew, nil
}

func main() {
	if len(os.Args) != 4 {
		fmt.Fprintln(os.Stderr, "usage: go-replace TABLE.tsv INPUT OUTPUT")
		os.Exit(2)
	}
	oldnew, err := readPairs(os.Args[1])
	if err != nil {
		fmt.Fprintln(os.Stderr, err)
		os.Exit(1)
	}
	input, err := os.ReadFile(os.Args[2])
	if err != nil {
		fmt.Fprintln(os.Stderr, err)
		os.Exit(1)
	}
	replacer := strings.NewReplacer(oldnew...)
	var out bytes.Buffer
	out.Grow(len(input))
	if _, err := replacer.WriteString(&out, string(input)); err != nil {
		fmt.Fprintln(os.Stderr, err)
		os.Exit(1)
	}
	if err := os.WriteFile(os.Args[3], out.Bytes(), 0o644); err != nil {
		fmt.Fprintln(os.Stderr, err)
		os.Exit(1)
	}
}
