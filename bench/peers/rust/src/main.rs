//! Peer of palimp-replace for the benchmark: the same table applied with the aho-corasick
//! crate in leftmost-first mode (leftmost match, earlier pattern wins at a position).
//!
//!     ac-replace TABLE.tsv INPUT OUTPUT
//!
//! TABLE.tsv holds one pair a line, "phrase<TAB>replacement", UTF-8.
//!
//! Rows that can never match are left out: a row whose phrase begins with the phrase of an
//! earlier row (or repeats it) always loses to that row. Leaving them out changes no result,
//! and it steers clear of aho-corasick 0.7.19 reporting the wrong pattern for such tables
//! (pairs e, space, c, ea, b on "b" report pattern 3).

use aho_corasick::{AhoCorasickBuilder, MatchKind};
use std::collections::HashSet;
use std::process::exit;

fn fail(message: String) -> ! {
    eprintln!("ac-replace: {}", message);
    exit(1);
}

/// The rows of the table that can match, in order, and how many were left out.
fn read_pairs(data: &[u8]) -> (Vec<&[u8]>, Vec<&[u8]>, usize) {
    let mut phrases = Vec::new();
    let mut replacements = Vec::new();
    let mut kept: HashSet<&[u8]> = HashSet::new();
    let mut dropped = 0;
    for line in data.split(|&b| b == b'\n') {
        if line.is_empty() {
            continue;
        }
        let (phrase, replacement) = match line.iter().position(|&b| b == b'\t') {
            Some(tab) => (&line[..tab], &line[tab + 1..]),
            None => (line, &line[line.len()..]),
        };
        if phrase.is_empty() {
            continue;
        }
        if (1..=phrase.len()).any(|n| kept.contains(&phrase[..n])) {
            dropped += 1;
            continue;
        }
        kept.insert(phrase);
        phrases.push(phrase);
        replacements.push(replacement);
    }
    (phrases, replacements, dropped)
}

fn main() {
    let args: Vec<String> = std::env::args().collect();
    if args.len() != 4 {
        eprintln!("usage: ac-replace TABLE.tsv INPUT OUTPUT");
        exit(2);
    }
    let table = std::fs::read(&args[1]).unwrap_or_else(|e| fail(format!("{}: {}", args[1], e)));
    let input = std::fs::read(&args[2]).unwrap_or_else(|e| fail(format!("{}: {}", args[2], e)));
    let (phrases, replacements, dropped) = read_pairs(&table);
    if dropped > 0 {
        eprintln!("ac-replace: left out {} rows that can never match", dropped);
    }
    let automaton = AhoCorasickBuilder::new()
        .match_kind(MatchKind::LeftmostFirst)
        .build(&phrases);
    let output = automaton.replace_all_bytes(&input, &replacements);
    std::fs::write(&args[3], output).unwrap_or_else(|e| fail(format!("{}: {}", args[3], e)));
}
